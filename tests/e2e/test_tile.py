"""Window › Tile windows arranges the child windows inside the workspace as it is; the main
window keeps its size and place, and the windows opened afterwards open wholly on the screen."""

import os

from harness import BOX_TYPES, BorvikTestCase, main, wait_until, write_project
from steps import open_parameter_error_list


class Tile(BorvikTestCase):
    def open_five_and_tile(self, scale):
        s = self.s
        names = []
        for box_type in BOX_TYPES:
            name = f"p{box_type}.bvp"
            write_project(os.path.join(s.work, name), box_type=box_type, model=f"M{box_type}")
            names.append(name)
        main_window = s.start(*names, scale=scale)
        a = s.a11y()
        for slot in range(1, 6):
            a.child_window(rf"^\[{slot}\]")
        before = s.frame_geometry(main_window)
        self.assertTrue(s.screen_rect().contains(before), f"main window {before} off screen")

        s.key("alt+w")
        a.click(a.find(name="^Tile windows$", role="menu item"))
        # Tiling has happened once the project windows no longer stand in a cascade.
        wait_until(lambda: len({a.extents(node).y for _, node in a.child_windows()}) <
                   len(a.child_windows()) or len({a.extents(node).x for _, node in
                                                  a.child_windows()}) > 2,
                   what="the child windows tiled", session=s)
        after = wait_until(lambda: s.frame_geometry(main_window), session=s)
        self.assertEqual(after, before, "tiling moved or resized the main window")
        self.assertTrue(s.screen_rect().contains(after), f"main window {after} off screen")
        workspace = a.extents(a.workspace())
        return main_window, workspace

    def assert_opens_on_screen(self, open_it, caption):
        s, a = self.s, self.s.a11y()
        if isinstance(open_it, str):
            s.key(open_it)
        else:
            open_it()
        window = a.child_window(caption)
        box = wait_until(lambda: a.extents(window), session=s)
        self.assertTrue(s.screen_rect().contains(box), f"{caption!r} at {box} leaves the screen")
        workspace = a.extents(a.workspace())
        self.assertTrue(workspace.contains(box),
                        f"{caption!r} at {box} leaves the workspace {workspace}")

    def check(self, scale):
        s = self.s
        self.open_five_and_tile(scale)
        a = s.a11y()
        self.assert_opens_on_screen("alt+s", r"^Signal generator$")
        self.assert_opens_on_screen(
            lambda: a.click(a.find(name="^Calculators$", role="push button")), r"^Calculator")

        def filter_editor():
            project = a.child_window(r"^\[5\]")
            a.click_title_bar(project)
            a.click(a.find(name="^EQ/Filter$", role="page tab", within=project))
            a.click(a.find(name="^Add$", role="push button", within=project))

        self.assert_opens_on_screen(filter_editor, r"^Filter Editor$")
        s.key("Escape")
        self.assert_opens_on_screen("ctrl+d", r"^Driver editor$")
        self.assert_opens_on_screen(lambda: open_parameter_error_list(s), r"^Parameter error list$")

        s.key("alt+o")
        options = s.wait_window(r"^Options$")
        box = s.frame_geometry(options)
        self.assertTrue(s.screen_rect().contains(box), f"the options at {box} leave the screen")

    def test_tile_at_100_percent(self):
        self.check(1.0)

    def test_tile_at_150_percent(self):
        self.check(1.5)


if __name__ == "__main__":
    main()
