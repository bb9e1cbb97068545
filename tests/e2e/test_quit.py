"""Quitting asks about every changed project first; Cancel at the question stops the quit and
changes nothing."""

import os

from harness import BOX_TYPES, BorvikTestCase, ini_value, main, read_bytes, wait_until, write_project
from steps import enter


class Quit(BorvikTestCase):
    def open_five_change_last(self):
        s = self.s
        names = []
        for box_type in BOX_TYPES:
            name = f"p{box_type}.bvp"
            write_project(os.path.join(s.work, name), box_type=box_type, model=f"M{box_type}")
            names.append(name)
        self.before = {name: read_bytes(os.path.join(s.work, name)) for name in names}
        main_window = s.start(*names)
        a = s.a11y()
        for slot in range(1, 6):
            a.child_window(rf"^\[{slot}\]")
        # The last project is changed: typed into.
        last = a.child_window(r"^\[5\]")
        a.click_title_bar(last)
        a.click(a.find(name="^Box$", role="page tab", within=last))
        enter(s, a.find(name="^Volume$", role="text", within=last), "0.07")
        return main_window

    def answer_quit_question(self, quit_keys, button):
        s, a = self.s, self.s.a11y()
        s.key(quit_keys)
        question = s.wait_window(r"^Confirm$")
        a.find(name="^Your project has changed", role="label")
        a.click(a.find(name=f"^{button}$", role="push button"))
        s.wait_no_window(r"^Confirm$")
        return question

    def assert_everything_open(self, main_window):
        s, a = self.s, self.s.a11y()
        self.assertTrue(s.running(), "the program ended")
        self.assertTrue(s.window_mapped(main_window))
        captions = [name for name, _ in a.child_windows()]
        for slot in range(1, 6):
            self.assertTrue(any(name.startswith(f"[{slot}]") for name in captions),
                            f"project {slot} closed; open: {captions}")
        for name, data in self.before.items():
            self.assertEqual(read_bytes(os.path.join(s.work, name)), data, f"{name} changed")

    def check_cancel(self, quit_keys):
        main_window = self.open_five_change_last()
        self.answer_quit_question(quit_keys, "Cancel")
        self.assert_everything_open(main_window)
        # The quit can be asked again, and No then ends the program without saving.
        self.answer_quit_question(quit_keys, "No")
        self.assertEqual(self.s.wait_exit(), 0, self.s.program_output())
        self.assertEqual(float(ini_value(os.path.join(self.s.work, "p4.bvp"), "Box", "Vr")), 0.05)

    def test_cancel_at_the_question_of_alt_x_keeps_every_window(self):
        self.check_cancel("alt+x")

    def test_cancel_at_the_question_of_alt_f4_keeps_every_window(self):
        self.check_cancel("alt+F4")


if __name__ == "__main__":
    main()
