"""Paths into a JSON document, written the way JSONPath writes them."""

import json
import re
from dataclasses import dataclass

# Keys that can follow a dot; any other key is written in brackets, quoted.
_PLAIN_KEY = re.compile(r"[A-Za-z_][A-Za-z0-9_]*\Z")


@dataclass(frozen=True)
class JsonPath:
    """A place in a document, such as `$.zone.sub_environments[2].charges[0]`."""

    text: str = "$"

    def key(self, name: str) -> "JsonPath":
        """The place of member `name` of the object at this place."""
        if _PLAIN_KEY.match(name):
            return JsonPath(f"{self.text}.{name}")
        return JsonPath(f"{self.text}[{json.dumps(name, ensure_ascii=False)}]")

    def index(self, position: int) -> "JsonPath":
        """The place of element `position` of the array at this place."""
        return JsonPath(f"{self.text}[{position}]")

    def __str__(self) -> str:
        return self.text
