"""Reading a message box the program shows, for the end-to-end cases."""

from harness import wait_until


def message_text(s, title):
    """The text of the message box titled `title`, as the accessibility tree gives its label."""
    box = s.wait_window(title)
    a = s.a11y()
    label = a.find(name=r"\S", role="label",
                   within=wait_until(lambda: [n for n in a.children(a.app())
                                              if a.name(n) == s.window_title(box)],
                                     what=f"the box {title!r} in the accessibility tree",
                                     session=s)[0])
    return box, a.name(label)
