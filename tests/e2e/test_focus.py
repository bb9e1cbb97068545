"""The keyboard goes where the user works: into a newly opened tool window, and back to the
window worked in when a dialog or the parameter error list closes."""

import os
import re

from harness import BorvikTestCase, main, wait_until, write_project
from steps import enter, open_driver_editor, open_parameter_error_list


class Focus(BorvikTestCase):
    def keyboard_in(self, caption):
        """Waits until a control inside the child window titled `caption` has the keyboard, with
        the main window holding the X keyboard focus; returns that control."""
        s, a = self.s, self.s.a11y()

        def holder():
            if s.focus_window() != s.main_window:
                return None
            node = a.focused()
            frame = a.window_of(node) if node is not None else None
            if frame is not None and re.search(caption, a.name(frame)):
                return node
            return None

        def where():
            node = a.focused()
            frame = a.window_of(node) if node is not None else None
            return (f"{a.role(node)} {a.name(node)!r} in {a.name(frame)!r}" if node is not None
                    else "nothing") + f", X focus {s.focus_window()}"

        try:
            return wait_until(holder, what=f"the keyboard in {caption!r}", session=s)
        except AssertionError as error:
            raise AssertionError(f"{error}; the keyboard is at {where()}") from None

    def test_a_tool_window_opened_gets_the_keyboard(self):
        s, a = self.s, None
        s.start()
        a = s.a11y()
        s.key("alt+s")
        self.keyboard_in(r"^Signal generator$")
        s.key("ctrl+d")
        self.keyboard_in(r"^Driver editor$")
        a.click(a.find(name="^Calculators$", role="push button"))
        self.keyboard_in(r"^Calculator")

    def test_the_keyboard_comes_back_after_a_save_dialog(self):
        s = self.s
        write_project(os.path.join(s.work, "a.bvp"), box_type=1, model="AAA")
        s.start("a.bvp")
        a = s.a11y()
        project = a.child_window(r"^\[1\]")
        a.click(a.find(name="^Box$", role="page tab", within=project))
        volume = a.find(name="^Volume$", role="text", within=project)
        a.click(volume)
        self.keyboard_in(r"^\[1\]")
        s.key("ctrl+s")
        s.wait_window(r"^Save project")
        s.key("Escape")
        s.wait_no_window(r"^Save project")
        held = self.keyboard_in(r"^\[1\]")
        self.assertEqual(a.name(held), "Volume")

    def test_the_keyboard_comes_back_after_saving_over_the_file_with_its_question(self):
        s = self.s
        write_project(os.path.join(s.work, "a.bvp"), box_type=1, model="AAA")
        s.start("a.bvp")
        a = s.a11y()
        project = a.child_window(r"^\[1\]")
        a.click(a.find(name="^Box$", role="page tab", within=project))
        a.click(a.find(name="^Volume$", role="text", within=project))
        self.keyboard_in(r"^\[1\]")
        s.key("ctrl+s")
        s.wait_window(r"^Save project")
        s.key("ctrl+a")
        s.type(os.path.join(s.work, "a.bvp"))
        s.key("Return")
        # The question whether to replace the file, a dialog over the dialog.
        a.click(wait_until(lambda: a.find_all(name="^Yes$", role="push button"),
                           what="the question whether to replace the file", session=s)[0])
        s.wait_no_window(r"^Save project")
        held = self.keyboard_in(r"^\[1\]")
        self.assertEqual(a.name(held), "Volume")

    def test_the_keyboard_comes_back_to_the_driver_editor_after_the_error_list(self):
        s = self.s
        s.start()
        a = s.a11y()
        _, errors = open_parameter_error_list(s)
        self.keyboard_in(r"^Parameter error list$")
        a.click(a.find(name="^OK$", role="push button", within=errors))
        wait_until(lambda: not [n for n, _ in a.child_windows() if n == "Parameter error list"],
                   what="the error list closed", session=s)
        self.keyboard_in(r"^Driver editor$")


if __name__ == "__main__":
    main()
