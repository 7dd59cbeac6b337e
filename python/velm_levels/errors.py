"""The one error a level file can cause."""


class LevelError(Exception):
    """A level that cannot be played, told so that its author can mend the file.

    `source` names the file, `place` the spot inside it (a JSON path such as
    `$.zone.charges[0]`, or a line and column for text that is not JSON), and
    `problem` what was expected there. Either of the first two may be missing:
    the parser knows places but not files, and a missing file has no place.
    """

    def __init__(self, problem: str, place: str | None = None, source: str | None = None):
        super().__init__(problem)
        self.problem = problem
        self.place = place
        self.source = source

    def in_file(self, source: str) -> "LevelError":
        """The same error, told as coming from the file `source`."""
        return LevelError(self.problem, self.place, source)

    def __str__(self) -> str:
        return ": ".join(part for part in (self.source, self.place, self.problem) if part)
