"""What a user does often in the program, for the end-to-end cases."""

import os
import re

from harness import wait_until


def enter(session, field, text):
    """Types `text` into a field as a user does: click, select all, type, leave with Tab."""
    a = session.a11y()
    a.click(field)
    wait_until(lambda: "focused" in a.states(field), what=f"{a.name(field)!r} takes the keyboard",
               session=session)
    session.key("ctrl+a")
    session.type(text)
    session.key("Tab")


def open_driver_editor(session):
    session.key("ctrl+d")
    return session.a11y().child_window(r"^Driver editor$")


def open_parameter_error_list(session):
    """Opens the driver editor, types a driver whose Q values disagree and presses Save: the
    parameter error list opens. Returns (editor, list)."""
    a = session.a11y()
    editor = open_driver_editor(session)
    a.click(a.find(name="^Parameters$", role="page tab", within=editor))
    for name, value in (("Qts", "0.5"), ("Qms", "4"), ("Qes", "0.3")):
        enter(session, a.find(name=f"^{name}$", role="text", within=editor), value)
    a.click(a.find(name="^Save$", role="push button", within=editor))
    return editor, a.child_window(r"^Parameter error list$")


def followed(session):
    """The caption of the plot window's project button: the project the cursor follows."""
    a = session.a11y()
    plot = a.child_window(r"^Transfer function magnitude|^Plot window|\[")
    for node in a.find_all(role="push button", within=plot):
        name = a.name(node)
        if name.startswith("[") or name == "No open projects":
            return name
    return None


def save_active_as(session, name):
    """Ctrl+S (Save project (active)), then the file name `name` in the work folder. Returns the
    name the save dialog proposed and the path written."""
    a = session.a11y()
    session.key("ctrl+s")
    session.wait_window(r"^Save project")
    field = a.find(name="^File name:$", role="text")
    proposed = os.path.basename(a.text(field))
    path = os.path.join(session.work, name)
    session.key("ctrl+a")
    session.type(path)
    session.key("Return")
    session.wait_no_window(r"^Save project")
    wait_until(lambda: os.path.exists(path), what=f"{name} written", session=session)
    return proposed, path


def wait_followed(session, caption):
    return wait_until(lambda: re.search(caption, followed(session) or ""),
                      what=f"the plot window to follow {caption!r}", session=session)


def settle(session):
    """Waits until the program has handled every input sent so far: it opens the open-project
    dialog for Ctrl+O only after the events before it (the X server keeps their order). Closing
    the dialog hands the main window back with the same child window in front."""
    a = session.a11y()
    session.key("ctrl+o")
    session.wait_window(r"^Select project to open$")
    session.key("Escape")
    session.wait_no_window(r"^Select project to open$")
    wait_until(lambda: any(a.is_active(node) for _, node in a.child_windows()),
               what="a child window in front again", session=session)
