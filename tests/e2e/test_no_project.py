"""A file on the command line that holds no project: the program says so, naming the file, and
opens nothing; the file is left as it was."""

import os
import random

from harness import BorvikTestCase, main, read_bytes
from messages import message_text


class NoProject(BorvikTestCase):
    def test_a_file_that_holds_no_project_opens_nothing_and_says_so(self):
        s = self.s
        path = os.path.join(s.work, "none.bvp")
        data = random.Random(2).randbytes(4096)
        with open(path, "wb") as out:
            out.write(data)

        s.start("none.bvp")
        box, text = message_text(s, r"^Error$")
        self.assertEqual(text, f"Can't open the project {path}:\nThe file \"{path}\" holds no "
                               f"project: it has none of the sections of a project file")
        s.key("Return")
        s.wait_no_window(r"^Error$")

        a = s.a11y()
        a.child_window(r"^Transfer function magnitude")
        projects = [name for name, _ in a.child_windows() if name.startswith("[")]
        self.assertEqual(projects, [], "a file that holds no project took a slot")
        s.key("alt+x")
        self.assertEqual(s.wait_exit(), 0, s.program_output())
        self.assertEqual(read_bytes(path), data)


if __name__ == "__main__":
    main()
