"""The project in front is the active one, however its window came to the front: Save (active)
saves it, the plot window's cursor follows it."""

import os

from harness import BorvikTestCase, ini_value, main, wait_until, write_project
from steps import save_active_as, wait_followed

FIRST = r"^\[1\]vented : Acme AAA$"
SECOND = r"^\[2\]closed : Acme BBB$"


class ActiveProject(BorvikTestCase):
    def open_two(self):
        s = self.s
        write_project(os.path.join(s.work, "a.bvp"), box_type=1, vr=0.05, fr=28, model="AAA")
        write_project(os.path.join(s.work, "b.bvp"), box_type=0, vr=0.03, fr=0, model="BBB")
        s.start("a.bvp", "b.bvp")
        a = s.a11y()
        first = a.child_window(FIRST)
        second = a.child_window(SECOND)
        self.wait_followed(r"^\[2\]")
        wait_until(lambda: a.is_active(second), what="project 2 in front", session=s)
        return first, second

    def wait_followed(self, caption):
        return wait_followed(self.s, caption)

    def assert_project_one_in_front_and_active(self, first):
        a = self.s.a11y()
        wait_until(lambda: a.is_active(first), what="project 1 in front", session=self.s)
        self.wait_followed(r"^\[1\]vented : AAA$")
        proposed, path = save_active_as(self.s, "saved.bvp")
        self.assertEqual(proposed, "a.bvp")
        self.assertEqual(ini_value(path, "Driver", "Model"), "AAA")
        self.assertEqual(ini_value(path, "Box", "BType"), "1")
        self.assertEqual(float(ini_value(path, "Box", "Vr")), 0.05)

    def test_title_bar(self):
        first, _ = self.open_two()
        self.s.a11y().click_title_bar(first)
        self.assert_project_one_in_front_and_active(first)

    def test_click_inside(self):
        first, second = self.open_two()
        a = self.s.a11y()
        # Project 2's window moved off project 1's page tabs (it stays in front).
        a.drag_title_bar(second, 0, 300)
        wait_until(lambda: a.extents(second).y > a.extents(first).y + 250,
                   what="project 2 moved down", session=self.s)
        self.assertTrue(a.is_active(second))
        tab = [node for node in a.find_all(name="^Driver$", role="page tab", within=first)][0]
        a.click(tab)
        self.assert_project_one_in_front_and_active(first)

    def test_window_menu(self):
        first, _ = self.open_two()
        s, a = self.s, self.s.a11y()
        s.key("alt+w")
        a.click(a.find(name=FIRST, role="menu item"))
        self.assert_project_one_in_front_and_active(first)

    def test_keyboard(self):
        first, _ = self.open_two()
        self.s.key("ctrl+Tab")
        self.assert_project_one_in_front_and_active(first)

    def test_closing_a_dialog_over_it(self):
        first, _ = self.open_two()
        s, a = self.s, self.s.a11y()
        a.click_title_bar(first)
        wait_until(lambda: a.is_active(first), what="project 1 in front", session=s)
        # The save dialog opened over project 1 and cancelled hands the main window back.
        s.key("ctrl+s")
        s.wait_window(r"^Save project")
        s.key("Escape")
        s.wait_no_window(r"^Save project")
        self.assert_project_one_in_front_and_active(first)

    def test_mouse_release_in_the_plot_keeps_the_project_followed(self):
        first, second = self.open_two()
        s, a = self.s, self.s.a11y()
        a.click_title_bar(first)
        self.wait_followed(r"^\[1\]")
        plot = a.child_window(r"^Transfer function magnitude")
        picture = a.find(name="^Plot$", within=plot)
        box = a.extents(picture)
        s.drag((box.x + box.width // 3, box.y + box.height // 2),
               (box.x + box.width // 2, box.y + box.height // 2))
        self.wait_followed(r"^\[1\]vented : AAA$")
        self.assertFalse(a.is_active(second), "the mouse release brought project 2 forward")


if __name__ == "__main__":
    main()
