"""Prints the accessibility tree of a running application as a screen reader
sees it: one line per object, indented by depth, with its role, its name,
its text, its description, its rectangle on the screen (x, y, width,
height) and "focused" on the object that has the keyboard focus.

    atspi_dump.py APP_NAME [SECONDS]
    atspi_dump.py APP_NAME SECONDS --press ROLE NAME

The application is waited for up to SECONDS (default 10): the registry
learns of a new application a moment after its first window appears.
With --press, nothing is printed: the first object with that role and name
is pressed through its action interface, as a screen reader presses it.
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
    try:
        if obj.getState().contains(pyatspi.STATE_FOCUSED):
            parts.append("focused")
    except Exception:
        pass
    print(" ".join(parts))
    for i in range(obj.childCount):
        try:
            walk(obj.getChildAtIndex(i), depth + 1)
        except Exception:
            continue


def find(obj, role: str, name: str):
    try:
        if obj.getRoleName() == role and obj.name == name:
            return obj
        children = [obj.getChildAtIndex(i) for i in range(obj.childCount)]
    except Exception:
        return None
    for child in children:
        found = find(child, role, name) if child is not None else None
        if found is not None:
            return found
    return None


def press(app, role: str, name: str) -> int:
    target = find(app, role, name)
    if target is None:
        print(f"no {role} {name!r}", file=sys.stderr)
        return 1
    target.queryAction().doAction(0)
    return 0


def main() -> int:
    pressing = len(sys.argv) == 6 and sys.argv[3] == "--press"
    if len(sys.argv) not in (2, 3) and not pressing:
        print(__doc__, file=sys.stderr)
        return 2
    deadline = time.monotonic() + (float(sys.argv[2]) if len(sys.argv) == 3 else 10.0)
    desktop = pyatspi.Registry.getDesktop(0)
    while True:
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == sys.argv[1] and app.childCount > 0:
                if pressing:
                    return press(app, sys.argv[4], sys.argv[5])
                walk(app, 0)
                return 0
        if time.monotonic() >= deadline:
            break
        time.sleep(0.2)
    print(f"no application {sys.argv[1]!r} on the accessibility bus", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
