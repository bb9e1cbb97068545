"""A new user's first design, start to finish: a driver typed into the driver editor and saved,
a vented project from the wizard, a look at other plot types, a new volume, a filter, a save and
a quit; then a new start that reopens the project, and a save of it unchanged that writes the
same bytes."""

import os

from harness import BorvikTestCase, ini_value, main, read_bytes, wait_until
from steps import enter, open_driver_editor, save_active_as, settle


class Workflow(BorvikTestCase):
    def save_driver(self):
        s, a = self.s, self.s.a11y()
        editor = open_driver_editor(s)
        enter(s, a.find(name="^Brand", role="text", within=editor), "Acme")
        enter(s, a.find(name="^Model", role="text", within=editor), "E2E")
        a.click(a.find(name="^Parameters$", role="page tab", within=editor))
        for name, value in (("Fs", "30"), ("Qms", "4"), ("Qes", "0.4"), ("Vas", "0.05"),
                            ("Re", "6"), ("Sd", "0.022")):
            enter(s, a.find(name=f"^{name}$", role="text", within=editor), value)
        a.click(a.find(name="^Save$", role="push button", within=editor))
        s.wait_window(r"^Save driver")
        self.assertEqual(a.text(a.find(name="^File name:$", role="text")), "Acme E2E.bvd")
        s.key("Return")
        s.wait_no_window(r"^Save driver")
        driver = os.path.join(s.documents, "Drivers", "Acme E2E.bvd")
        wait_until(lambda: os.path.exists(driver), what="the driver file", session=s)
        self.assertEqual(ini_value(driver, "Driver", "Model"), "E2E")
        a.click(a.find(name="^Close$", role="push button", within=editor))
        wait_until(lambda: not [n for n, _ in a.child_windows() if n == "Driver editor"],
                   what="the driver editor closed", session=s)

    def new_vented_project(self):
        s, a = self.s, self.s.a11y()
        s.key("ctrl+n")
        s.wait_window(r"^New project")
        wizard = wait_until(lambda: [c for c in a.children(a.app())
                                     if a.name(c).startswith("New project")],
                            what="the wizard in the accessibility tree", session=s)[0]
        a.find(name="^Acme E2E$", role="combo box", within=wizard)
        for expected in ("Driver usage:", "Box type:", "Choose Alignment:"):
            a.click(a.find(name="^Next$", role="push button", within=wizard))
            a.find(name=f"^{expected}$", role="label", within=wizard)
            if expected == "Box type:":
                self.assertEqual(a.name(a.find(role="combo box", within=wizard)), "Vented")
        a.click(a.find(name="^Finish$", role="push button", within=wizard))
        s.wait_no_window(r"^New project")
        return a.child_window(r"^\[1\][Vv]ented : Acme E2E$")

    def choose_plot_type(self, downs, caption):
        """The plot window's plot type button, then the type `downs` places down its list."""
        s, a = self.s, self.s.a11y()
        plot = [node for name, node in a.child_windows()
                if not name.startswith("[") and a.find_all(name="^Print$", within=node)][0]
        buttons = [n for n in a.find_all(role="push button", within=plot)
                   if a.name(n) != "Print" and not a.name(n).startswith("[")]
        a.click(buttons[0])
        # The list opens as the button is released, before the keys that follow arrive.
        s.key(*(["Down"] * downs), "Return")
        a.child_window(rf"^{caption}")

    def test_from_a_new_driver_to_a_saved_project_and_back(self):
        s = self.s
        s.start()
        a = s.a11y()
        self.save_driver()
        project = self.new_vented_project()

        for downs, caption in ((9, "Impedance"), (7, "SPL"), (8, "Cone excursion"),
                               (1, "Transfer function magnitude")):
            self.choose_plot_type(downs, caption)

        a.click_title_bar(project)
        a.click(a.find(name="^Box$", role="page tab", within=project))
        enter(s, a.find(name="^Volume$", role="text", within=project), "0.042")
        wait_until(lambda: a.text(a.find(name="^Volume$", role="text", within=project))
                   .startswith("0.042"), what="the new volume", session=s)

        a.click(a.find(name="^EQ/Filter$", role="page tab", within=project))
        a.click(a.find(name="^Add$", role="push button", within=project))
        editor = a.child_window(r"^Filter Editor$")
        a.click(a.find(name="^Add$", role="push button", within=editor))
        wait_until(lambda: a.find_all(role="list item", within=project),
                   what="the filter in the project's list", session=s)
        settle(s)

        a.click_title_bar(project)
        projects = os.path.join(s.documents, "Projects")
        os.makedirs(projects, exist_ok=True)
        _, path = save_active_as(s, os.path.join(projects, "first.bvp"))
        self.assertEqual(ini_value(path, "Box", "BType"), "1")
        self.assertAlmostEqual(float(ini_value(path, "Box", "Vr")), 0.042)
        self.assertEqual(ini_value(path, "Filters", "Count"), "1")
        self.assertEqual(ini_value(path, "Driver", "Model"), "E2E")
        saved = read_bytes(path)

        s.key("alt+x")
        self.assertEqual(s.wait_exit(), 0, s.program_output())

        # A new start: the project comes back from the open dialog as it was saved.
        s.start()
        a = s.a11y()
        s.key("ctrl+o")
        s.wait_window(r"^Select project to open$")
        s.key("ctrl+a")
        s.type(path)
        s.key("Return")
        s.wait_no_window(r"^Select project to open$")
        project = a.child_window(r"^\[1\][Vv]ented : Acme E2E$")
        a.click(a.find(name="^Box$", role="page tab", within=project))
        self.assertTrue(a.text(a.find(name="^Volume$", role="text", within=project))
                        .startswith("0.042"))

        # Saved unchanged over itself: the same bytes.
        s.key("ctrl+s")
        s.wait_window(r"^Save project")
        self.assertEqual(os.path.basename(a.text(a.find(name="^File name:$", role="text"))),
                         "first.bvp")
        s.key("Return")
        overwrite = wait_until(lambda: a.find_all(name="^Yes$", role="push button"),
                               what="the question whether to replace the file", session=s)
        a.click(overwrite[0])
        s.wait_no_window(r"^Save project")
        settle(s)
        self.assertEqual(read_bytes(path), saved)

        s.key("alt+x")
        self.assertEqual(s.wait_exit(), 0, s.program_output())


if __name__ == "__main__":
    main()
