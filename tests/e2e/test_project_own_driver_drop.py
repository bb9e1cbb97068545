"""A project's own driver, dragged from its driver picture and let go over its own window (a field
of it), changes nothing: closing the window then asks nothing."""

import os

from harness import BorvikTestCase, main, read_bytes, wait_until, write_project


class OwnDriverDrop(BorvikTestCase):
    def test_its_own_driver_dropped_on_it_leaves_nothing_to_save(self):
        s = self.s
        path = write_project(os.path.join(s.work, "a.bvp"), box_type=1, model="AAA")
        before = read_bytes(path)
        s.start("a.bvp")
        a = s.a11y()
        project = a.child_window(r"^\[1\]vented : Acme AAA$")
        picture = a.find(name="^Driver$", role="image", within=project)
        model = a.find(name="^Model$", role="text", within=project)

        s.drag(a.extents(picture).center(), a.extents(model).center(), steps=16)

        # Closed with its frame's own key, in front and with the keyboard: no question.
        a.click(a.find(name="^Brand:$", role="label", within=project))
        wait_until(lambda: {"active", "focused"} & a.states(project), what="project 1 in front",
                   session=s)
        s.key("ctrl+w")
        closed = lambda: not [name for name, _ in a.child_windows() if name.startswith("[1]")]
        wait_until(lambda: closed() or s.windows(r"^Confirm$"),
                   what="project 1 closed, or a question", session=s)
        self.assertEqual(s.windows(r"^Confirm$"), [], "closing asked to save")
        self.assertEqual(read_bytes(path), before)


if __name__ == "__main__":
    main()
