"""The thirteen agent kinds as a level file names them."""

from collections.abc import Callable
from dataclasses import dataclass

from velm_engine import Environment


@dataclass(frozen=True)
class AgentKind:
    """One kind: its name in level files, the arguments it takes after the
    visual id, and the zone method that adds one agent of the kind."""

    name: str
    extra_parameters: tuple[str, ...]
    add_to: Callable[..., None]


# A kind's name is its zone method's name without "add_", so that level files
# and host code call things the same way; the extra parameters carry the
# method's own argument names for the same reason.
AGENT_KINDS: dict[str, AgentKind] = {
    kind.name: kind
    for kind in (
        AgentKind("plus_magician", (), Environment.add_plus_magician),
        AgentKind("minus_magician", (), Environment.add_minus_magician),
        AgentKind("multiply_magician", (), Environment.add_multiply_magician),
        AgentKind("divide_magician", (), Environment.add_divide_magician),
        AgentKind("power_sorcerer", (), Environment.add_power_sorcerer),
        AgentKind("root_magician", (), Environment.add_root_magician),
        AgentKind("abs_magician", (), Environment.add_abs_magician),
        AgentKind("factorial_magician", (), Environment.add_factorial_magician),
        AgentKind("modulo_magician", (), Environment.add_modulo_magician),
        AgentKind("log_magician", (), Environment.add_log_magician),
        AgentKind("chronomancer", (), Environment.add_chronomancer),
        AgentKind("equals_gate", ("target",), Environment.add_equals_gate),
        AgentKind("inequality_gate", ("target", "comparison_type"), Environment.add_inequality_gate),
    )
}
