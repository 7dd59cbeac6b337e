"""The one error a run can cause when it is turned into a replay page."""


class ReplayError(Exception):
    """A frame report that the replay page cannot show, or a record of reports
    that cannot be read.

    `report` is the report's position in the run, counted from 1 (in a record
    file it is the line number), `place` the spot inside the report (a JSON
    path such as `$.meta.status`, or a column), `problem` what was expected
    there. Any of them but the problem may be missing.
    """

    def __init__(self, problem: str, place: str | None = None, report: int | None = None,
                 source: str | None = None):
        super().__init__(problem)
        self.problem = problem
        self.place = place
        self.report = report
        self.source = source

    def at_report(self, report: int) -> "ReplayError":
        """The same error, told as found in the run's report number `report`."""
        return ReplayError(self.problem, self.place, report, self.source)

    def in_record(self, source: str) -> "ReplayError":
        """The same error, told as found in the record file `source`."""
        return ReplayError(self.problem, self.place, self.report, source)

    def __str__(self) -> str:
        # A record holds one report a line, so its reports are told by line.
        if self.report is None:
            report = None
        elif self.source is None:
            report = f"report {self.report}"
        else:
            report = f"line {self.report}"
        return ": ".join(part for part in (self.source, report, self.place, self.problem) if part)
