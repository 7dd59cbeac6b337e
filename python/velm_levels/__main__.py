"""`python -m velm_levels LEVEL.json` plays a level; see velm_levels.cli."""

from velm_levels.cli import main

# Guarded: worker processes of `check` import the main module of their parent.
if __name__ == "__main__":
    raise SystemExit(main(program="python -m velm_levels"))
