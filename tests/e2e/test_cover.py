"""Windows the program places or brings forward never cover the window the user works in: the
plot window's readouts and Print stay visible at start and while the cursor is used, and the
driver editor comes back in front when the parameter error list closes."""

import os

from harness import BorvikTestCase, main, wait_until, write_project
from steps import open_parameter_error_list, settle, wait_followed


class Cover(BorvikTestCase):
    def open_two(self, scale):
        s = self.s
        write_project(os.path.join(s.work, "a.bvp"), box_type=1, model="AAA")
        write_project(os.path.join(s.work, "b.bvp"), box_type=0, model="BBB")
        s.start("a.bvp", "b.bvp", scale=scale)
        a = s.a11y()
        projects = [a.child_window(r"^\[1\]"), a.child_window(r"^\[2\]")]
        wait_followed(s, r"^\[2\]")
        return projects

    def plot_controls(self):
        """The plot window's Print button and its two readouts."""
        a = self.s.a11y()
        plot = a.child_window(r"^Transfer function magnitude")
        return plot, {name: a.find(name=f"^{name}$", within=plot)
                      for name in ("Print", "Value for cursor", "Frequency readout of cursor")}

    def assert_uncovered(self, projects):
        a = self.s.a11y()
        _, controls = self.plot_controls()
        for name, control in controls.items():
            box = a.extents(control)
            for project in projects:
                frame = a.extents(project)
                self.assertFalse(frame.intersects(box),
                                 f"{a.name(project)!r} at {frame} covers the plot window's "
                                 f"{name!r} at {box}")

    def check_start_up_layout(self, scale):
        self.assert_uncovered(self.open_two(scale))

    def test_the_start_up_layout_leaves_the_plot_windows_bar_visible_at_100_percent(self):
        self.check_start_up_layout(1.0)

    def test_the_start_up_layout_leaves_the_plot_windows_bar_visible_at_150_percent(self):
        self.check_start_up_layout(1.5)

    def test_a_cursor_click_keeps_the_plot_window_in_front_of_the_project(self):
        s = self.s
        projects = self.open_two(1.5)
        a = s.a11y()
        plot, _ = self.plot_controls()
        picture = a.find(name="^Plot$", within=plot)
        box = a.extents(picture)
        y = box.y + box.height // 2
        s.drag((box.x + box.width // 5, y), (box.x + box.width // 4, y))
        settle(s)
        # The release brings the followed project forward, but not over the plot window.
        self.assertTrue(a.is_active(plot), "the plot window is no longer in front")
        self.assertFalse(any(a.is_active(project) for project in projects))
        self.assert_uncovered(projects)

    def test_ok_on_the_error_list_brings_back_the_driver_editor(self):
        s = self.s
        s.start()
        a = s.a11y()
        editor, errors = open_parameter_error_list(s)
        plot = a.child_window(r"^Transfer function magnitude")
        a.click(a.find(name="^OK$", role="push button", within=errors))
        wait_until(lambda: not [n for n, _ in a.child_windows() if n == "Parameter error list"],
                   what="the error list closed", session=s)
        wait_until(lambda: a.is_active(editor), what="the driver editor in front", session=s)
        self.assertFalse(a.is_active(plot))


if __name__ == "__main__":
    main()
