"""Prints the accessibility tree of a running application as a screen reader
sees it: one line per object, indented by depth, with its role, its name,
its text, its description and its rectangle on the screen (x, y, width,
height).

    atspi_dump.py APP_NAME [SECONDS]

The application is waited for up to SECONDS (default 10): the registry
learns of a new application a moment after its first window appears.
"""
import sys
import time

import pyatspi


def text_of(obj) -> str:
    try:
        t = obj.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return ""
    except Exception:  # objects can vanish while we walk
        return ""


def extents_of(obj):
    try:
        e = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return (e.x, e.y, e.width, e.height)
    except Exception:
        return None


def walk(obj, depth: int) -> None:
    if obj is None:
        return
    try:
        role = obj.getRoleName()
        name = obj.name or ""
    except Exception:
        return
    text = text_of(obj)
    rect = extents_of(obj)
    parts = [f"{'  ' * depth}{role}", f"name={name!r}"]
    if text and text != name:
        parts.append(f"text={text!r}")
    try:
        description = obj.description or ""
    except Exception:
        description = ""
    if description:
        parts.append(f"desc={description!r}")
    if rect:
        parts.append("rect=%d,%d,%d,%d" % rect)
    print(" ".join(parts))
    for i in range(obj.childCount):
        try:
            walk(obj.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    deadline = time.monotonic() + (float(sys.argv[2]) if len(sys.argv) == 3 else 10.0)
    desktop = pyatspi.Registry.getDesktop(0)
    while True:
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == sys.argv[1] and app.childCount > 0:
                walk(app, 0)
                return 0
        if time.monotonic() >= deadline:
            break
        time.sleep(0.2)
    print(f"no application {sys.argv[1]!r} on the accessibility bus", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
