"""Starting the program with projects on the command line, and quitting it."""

import os

from harness import BorvikTestCase, main, read_bytes, write_project


class StartUp(BorvikTestCase):
    def test_command_line_projects_open_and_an_unchanged_quit_ends_cleanly(self):
        s = self.s
        first = write_project(os.path.join(s.work, "a.bvp"), box_type=1, model="AAA")
        second = write_project(os.path.join(s.work, "b.bvp"), box_type=0, model="BBB")
        before = {path: read_bytes(path) for path in (first, second)}

        main_window = s.start("a.bvp", "b.bvp")
        a = s.a11y()
        a.child_window(r"^\[1\]vented : Acme AAA$")
        a.child_window(r"^\[2\]closed : Acme BBB$")
        a.child_window(r"^Transfer function magnitude")

        self.assertTrue(s.screen_rect().contains(s.frame_geometry(main_window)),
                        f"main window {s.frame_geometry(main_window)} leaves the screen")
        self.assertEqual(s.focus_window(), main_window)

        s.key("alt+x")
        self.assertEqual(s.wait_exit(), 0, s.program_output())
        for path, data in before.items():
            self.assertEqual(read_bytes(path), data, f"{path} changed by opening and quitting")


if __name__ == "__main__":
    main()
