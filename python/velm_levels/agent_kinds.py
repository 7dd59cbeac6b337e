"""The thirteen agent kinds: what level files call them, how a zone adds one,
and what the engine shows of an agent of each kind."""

from collections.abc import Callable
from dataclasses import dataclass

from velm_engine import Environment


@dataclass(frozen=True)
class AgentKind:
    """One kind of agent.

    `name` is the kind's name in level files; `add_to` is the zone method that
    adds one agent of the kind, and `extra_parameters` name the arguments it
    takes after the visual id. `title` and `priority` are what the engine
    writes for such an agent. `result_prefix` begins the visual id of the
    charge that the agent's act appends (the agent's own visual id follows);
    it is None for the kinds whose act appends no charge.
    """

    name: str
    add_to: Callable[..., None]
    title: str
    priority: int
    result_prefix: str | None
    extra_parameters: tuple[str, ...] = ()

    @property
    def add_method(self) -> str:
        """The name of the zone method that adds one agent of the kind."""
        return f"add_{self.name}"


# A kind's name is its zone method's name without "add_", so that level files
# and host code call things the same way; the extra parameters carry the
# method's own argument names for the same reason.
AGENT_KINDS: dict[str, AgentKind] = {
    kind.name: kind
    for kind in (
        AgentKind("plus_magician", Environment.add_plus_magician,
                  "Plus Magician", 10, "result_"),
        AgentKind("minus_magician", Environment.add_minus_magician,
                  "Minus Magician", 10, "result_"),
        AgentKind("multiply_magician", Environment.add_multiply_magician,
                  "Multiply Magician", 50, "result_product_"),
        AgentKind("divide_magician", Environment.add_divide_magician,
                  "Divide Magician", 50, "result_quotient_"),
        AgentKind("power_sorcerer", Environment.add_power_sorcerer,
                  "Power Sorcerer", 75, "result_power_"),
        AgentKind("root_magician", Environment.add_root_magician,
                  "The Extractor", 75, "result_root_"),
        # The Purifier changes charges in place and appends none.
        AgentKind("abs_magician", Environment.add_abs_magician,
                  "The Purifier", 90, None),
        AgentKind("factorial_magician", Environment.add_factorial_magician,
                  "The Replicator", 85, "result_factorial_"),
        AgentKind("modulo_magician", Environment.add_modulo_magician,
                  "The Scavenger", 50, "result_remainder_"),
        AgentKind("log_magician", Environment.add_log_magician,
                  "The Architect", 90, "result_log_"),
        AgentKind("chronomancer", Environment.add_chronomancer,
                  "Chronomancer", 100, None),
        AgentKind("equals_gate", Environment.add_equals_gate,
                  "Equals Gate", 0, None, ("target",)),
        AgentKind("inequality_gate", Environment.add_inequality_gate,
                  "The Judge", 0, None, ("target", "comparison_type")),
    )
}
