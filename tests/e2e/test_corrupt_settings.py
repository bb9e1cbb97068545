"""A corrupt settings file at start-up: the program says once that the settings could not be read,
that the defaults are in use and where the old file was kept, and writes nothing of it back."""

import os
import random
import threading

from harness import BorvikTestCase, main, read_bytes
from messages import message_text


class CorruptSettings(BorvikTestCase):
    def test_a_corrupt_settings_file_is_named_once_and_kept_and_the_defaults_are_used(self):
        s = self.s
        folder = os.path.join(s.config, "Halvern")
        os.makedirs(folder)
        settings = os.path.join(folder, "Borvik Pro.conf")
        junk = random.Random(29).randbytes(4096) + b"\nJunkKey=1\n"
        with open(settings, "wb") as out:
            out.write(junk)

        # The message comes while the main window is being made, before it shows: the start
        # waits for the main window beside this test, which answers the message first.
        started = {}

        def start():
            try:
                started["window"] = s.start()
            except BaseException as error:  # reported below
                started["error"] = error

        starter = threading.Thread(target=start)
        starter.start()
        try:
            box, text = message_text(s, r"^Warning$")
            self.assertEqual(
                text, f'The settings could not be read: the settings file "{settings}" is '
                      f'malformed.\nThe defaults are in use; the old settings file was kept as '
                      f'"{settings}.broken".')
            s.key("Return")
        finally:
            starter.join(120)
        if "error" in started:
            raise started["error"]
        self.assertIn("window", started, "the main window did not come after the message")
        self.assertEqual(s.windows(r"^Warning$"), [], "the message came more than once")

        self.assertEqual(read_bytes(settings + ".broken"), junk)
        s.key("alt+x")
        self.assertEqual(s.wait_exit(), 0, s.program_output())
        written = read_bytes(settings)
        self.assertIn(b"GridX=20", written)
        self.assertNotIn(b"JunkKey", written)


if __name__ == "__main__":
    main()
