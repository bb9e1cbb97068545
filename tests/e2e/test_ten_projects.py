"""Ten projects open: each one brought to the front in turn is the one Save (active) writes."""

import os

from harness import BorvikTestCase, ini_value, main, wait_until, write_project
from steps import save_active_as, wait_followed


class TenProjects(BorvikTestCase):
    def test_save_writes_the_project_in_front_each_time(self):
        s = self.s
        names = []
        for slot in range(1, 11):
            name = f"p{slot}.bvp"
            write_project(os.path.join(s.work, name), box_type=(slot - 1) % 5,
                          vr=round(0.01 * slot, 3), model=f"M{slot}")
            names.append(name)
        s.start(*names)
        a = s.a11y()
        frames = {slot: a.child_window(rf"^\[{slot}\]") for slot in range(1, 11)}
        wait_followed(s, r"^\[10\]")

        # Every slot in turn, through the Window menu (the frames lie over one another).
        for slot in [3, 1, 10, 7, 2, 9, 4, 8, 5, 6]:
            with self.subTest(slot=slot):
                s.key("alt+w")
                a.click(a.find(name=rf"^\[{slot}\]", role="menu item"))
                wait_until(lambda: a.is_active(frames[slot]), what=f"project {slot} in front",
                           session=s)
                wait_followed(s, rf"^\[{slot}\]")
                proposed, path = save_active_as(s, f"saved{slot}.bvp")
                self.assertEqual(proposed, f"p{slot}.bvp")
                self.assertEqual(ini_value(path, "Driver", "Model"), f"M{slot}")
                self.assertAlmostEqual(float(ini_value(path, "Box", "Vr")), 0.01 * slot)


if __name__ == "__main__":
    main()
