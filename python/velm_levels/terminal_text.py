"""Text from levels and reports made safe to print on a terminal.

Zone ids, visual ids, titles and file names are the author's text and may
hold line breaks or escape sequences; printed raw they could forge a line of
output or take over the terminal.
"""


def shown(text: str) -> str:
    """An identifier as the player prints it: as it is when it prints cleanly,
    else quoted and escaped, so that an empty id or a line break stays visible."""
    if text and text.isprintable() and text.strip() == text:
        return text
    return repr(text)


def printable(line: str) -> str:
    """`line` with every character that a terminal would not show as itself
    (control characters, escape sequences, line breaks) written as an escape."""
    if line.isprintable():
        return line
    return "".join(character if character.isprintable() else repr(character)[1:-1]
                   for character in line)
