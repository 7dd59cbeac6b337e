"""`python -m velm_levels LEVEL.json` plays a level; see velm_levels.player."""

from velm_levels.player import main

raise SystemExit(main())
