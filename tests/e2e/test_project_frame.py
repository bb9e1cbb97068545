"""A project window's frame is fixed: the mouse neither maximises it (a double click on its title
bar) nor sizes it (its corner dragged), while the sizeable plot window beside it does size."""

import os

from harness import BorvikTestCase, main, wait_until, write_project


def title_bar_middle(a, frame):
    """The middle of a child window's title bar: above its contents."""
    outer = a.extents(frame)
    top = min((a.extents(child).y for child in a.children(frame) if a.extents(child).height > 0),
              default=outer.y + 16)
    return outer.x + outer.width // 2, (outer.y + top) // 2


class ProjectFrame(BorvikTestCase):
    def test_the_mouse_neither_maximises_nor_sizes_a_project_window(self):
        s = self.s
        write_project(os.path.join(s.work, "a.bvp"), box_type=1, model="AAA")
        s.start("a.bvp")
        a = s.a11y()
        project = a.child_window(r"^\[1\]vented : Acme AAA$")
        plot = a.child_window(r"^Transfer function magnitude")
        before = a.extents(project)

        s.click(*title_bar_middle(a, project), repeat=2)
        corner = (before.right - 2, before.bottom - 2)
        s.drag(corner, (corner[0] + 100, corner[1] + 80))
        # The same drag on the plot window's corner, after both: once it has sized the plot
        # window, the program has had the project window's gestures too.
        plot_before = a.extents(plot)
        plot_corner = (plot_before.right - 2, plot_before.bottom - 2)
        s.drag(plot_corner, (plot_corner[0] - 100, plot_corner[1] - 80))
        plot_sized = lambda: a.extents(plot).width < plot_before.width - 40
        wait_until(lambda: plot_sized() or a.extents(project) != before,
                   what="the plot window sized by its corner", session=s)
        self.assertEqual(a.extents(project), before, "the project window's frame changed")
        wait_until(plot_sized, what="the plot window sized by its corner", session=s)


if __name__ == "__main__":
    main()
