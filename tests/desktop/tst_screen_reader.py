# SPDX-License-Identifier: GPL-3.0-or-later
"""Velorix as a screen reader meets it: over the real AT-SPI bus, under Xvfb or on Wayland.

    tst_screen_reader.py VELORIX LAYOUT_TABLE

Runs Velorix with Qt's accessibility on in a private X server (or, with QT_QPA_PLATFORM=wayland,
in the Wayland session it is started in) and D-Bus session, and checks through pyatspi that
every text field answers every boundary query at every offset, that each control the focus
reaches is spoken with the name the window's table (LAYOUT_TABLE prints it) gives it, and that
each result can be read, and is announced, after it changes. Every wait is for its condition,
bounded only against a hang; every process started is ended. VELORIX_TEST_DISPLAY picks the X
display; by default Xvfb finds one.
"""
import ctypes, json, os, signal, subprocess, sys, tempfile, time

PLATFORM = "wayland" if os.environ.get("QT_QPA_PLATFORM") == "wayland" else "xcb"
# Seconds: long enough for the sanitizer build on a busy machine, reached only by a hang.
HANG = 60



def start(command, **kwargs):
    # PR_SET_PDEATHSIG: no child outlives a test that is killed.
    return subprocess.Popen(command, start_new_session=True, stdin=subprocess.DEVNULL,
                            preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM),
                            **kwargs)


def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def wait_for(what, probe, seconds=HANG):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError(f"gave up waiting for {what}")


def outer(program, table):
    if PLATFORM == "wayland":
        return in_session(program, table, dict(os.environ), None)
    with tempfile.TemporaryDirectory() as work:
        display_file = os.path.join(work, "display")
        display = os.environ.get("VELORIX_TEST_DISPLAY")
        with open(display_file, "w") as report:
            fd = report.fileno()
            # -noreset: the accessibility bus leaves the X server again at once, and a server
            # that resets then turns Velorix away.
            xvfb = start(["Xvfb"] + ([f":{display}"] if display else []) +
                         ["-displayfd", str(fd), "-screen", "0", "1280x1024x24", "-noreset",
                          "-nolisten", "tcp"], pass_fds=(fd,), stdout=subprocess.DEVNULL,
                         stderr=open(os.path.join(work, "xvfb.log"), "w"))
        try:
            number = wait_for("the X server", lambda: open(display_file).read().strip())
            env = dict(os.environ, DISPLAY=f":{number}", XDG_RUNTIME_DIR=work)
            return in_session(program, table, env, os.path.join(work, "xvfb.log"))
        finally:
            stop(xvfb)


def in_session(program, table, env, log):
    """Runs the checks in a D-Bus session of their own."""
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    session = start(["dbus-run-session", "--", sys.executable, __file__, "--inside", program,
                     table], env=env)
    try:
        status = session.wait(timeout=4 * HANG)
    finally:
        stop(session)
    if status != 0 and log:
        print(open(log).read(), file=sys.stderr)
    return status


# Xlib's default handler ends the program at an error; a window not mapped yet refuses the focus.
IGNORE_X_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: 0)


def activate(title):
    """Gives the window of that title the keyboard, as a window manager would: there is none."""
    x = ctypes.CDLL("libX11.so.6")
    x.XSetErrorHandler(IGNORE_X_ERRORS)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 3 + [
        ctypes.POINTER(ctypes.c_uint)]
    x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    display = x.XOpenDisplay(None)
    try:
        root, parent, children = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        x.XQueryTree(display, x.XDefaultRootWindow(display), ctypes.byref(root),
                     ctypes.byref(parent), ctypes.byref(children), ctypes.byref(count))
        for i in range(count.value):
            name = ctypes.c_char_p()
            if x.XFetchName(display, children[i], ctypes.byref(name)) and name.value == title:
                x.XSetInputFocus(display, children[i], 2, 0)  # RevertToParent, CurrentTime
        x.XFlush(display)
    finally:
        x.XCloseDisplay(display)


def inside(program, table):
    import pyatspi as at
    # The table wants a scale for the window's width, which the names do not use.
    layout = json.loads(subprocess.run([table, "15"], check=True, capture_output=True).stdout)
    # A query without an answer fails instead of hanging: Qt 6.4 never answers some.
    at.setTimeout(HANG * 1000, HANG * 1000)
    # German numbers, as the expected announcements are written.
    env = dict(os.environ, QT_QPA_PLATFORM=PLATFORM, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LC_ALL="de_DE.UTF-8", LANG="de_DE.UTF-8")
    app = start([program], env=env)
    try:
        def find():
            if app.poll() is not None:
                raise AssertionError(f"Velorix ended with status {app.returncode}")
            desktop = at.Registry.getDesktop(0)
            return next((a for a in desktop if a is not None and a.get_process_id() == app.pid
                         and a.childCount > 0), None)
        found = wait_for("Velorix on the bus", find)
        # Under X the test gives the window the keyboard once it is mapped; on Wayland the
        # compositor gives it to the new window.
        wait_for("the window given the keyboard",
                 lambda: (PLATFORM != "xcb" or activate(b"Velorix") is None)
                 and found[0].getState().contains(at.STATE_ACTIVE))
        Checks(at, found, layout).run()
        if app.poll() is not None:
            raise AssertionError(f"Velorix ended with status {app.returncode}")
        print("PASS: every query answered, every name spoken, every result heard")
        return 0
    finally:
        stop(app)


class Checks:
    def __init__(self, at, app, layout):
        self.at, self.top, self.failures = at, app[0], []
        rows = layout["controls"]
        self.groups = {row["text"] for row in rows if row["kind"] == "frame"}
        self.names = sorted(rows[i]["spoken"] for i in layout["focus"])
        self.objects = at.findAllDescendants(self.top, lambda o: True)

    def expect(self, condition, message):
        if not condition:
            self.failures.append(message)

    def run(self):
        self.expect((self.top.getRole(), self.top.name) == (self.at.ROLE_FRAME, "Velorix"),
                    f"the window is a {self.top.getRoleName()} named {self.top.name!r}")
        panels = {o.name for o in self.objects if o.getRole() == self.at.ROLE_PANEL}
        self.expect(panels == self.groups, f"groups are named {sorted(panels)}")
        focusable = [o for o in self.objects if o.getState().contains(self.at.STATE_FOCUSABLE)]
        names = [self.spoken(o) for o in focusable]
        self.expect(sorted(names) == self.names, f"spoken names: {sorted(names)}, not {self.names}")
        try:
            # Words and sentences, where a value has none: the angle field has no handler.
            self.type_into("Überstrichener Winkel in einer Kampfrunde", "Gut. Ab 10")
            for field in self.fields():
                self.boundaries(field)
            self.results()
        finally:
            if self.failures:
                raise AssertionError("\n".join(self.failures))

    def spoken(self, obj):
        # As a reader does it: the labels first, but not a group the control lies in.
        for relation in obj.getRelationSet():
            if relation.getRelationType() == self.at.RELATION_LABELLED_BY:
                labels = [relation.getTarget(i) for i in range(relation.getNTargets())]
                labels = [label.name for label in labels
                          if not self.at.findAncestor(obj, lambda a: a == label)]
                if labels:
                    return " ".join(labels)
        return obj.name

    def fields(self, name=None):
        found = [o for o in self.objects if o.getRole() in (self.at.ROLE_TEXT, self.at.ROLE_ENTRY)
                 and name in (None, o.name)]
        assert name is None or len(found) == 1, f"{len(found)} fields named {name!r}"
        return found

    def boundaries(self, field):
        text = field.queryText()
        whole, length = text.getText(0, -1), text.characterCount
        for offset in range(length + 1):
            for boundary in range(7):  # character, word and sentence start and end, line
                for way in (text.getTextBeforeOffset, text.getTextAtOffset,
                            text.getTextAfterOffset):
                    what = f"{field.name} {whole!r}: {way.__name__}({offset}, {boundary})"
                    try:
                        piece, start, end = way(offset, boundary)
                    except Exception as error:  # no answer: the program hangs, stop here
                        self.failures.append(f"{what}: {error}")
                        raise AssertionError("\n".join(self.failures)) from None
                    self.expect(0 <= start <= end <= length and piece == whole[start:end],
                                f"{what} gave {(piece, start, end)}")
            # One run of attributes over the whole value, whatever the offset.
            run = tuple(text.getAttributeRun(offset, False))[1:]
            self.expect(length == 0 or run == (0, length), f"{field.name}: run {run} at {offset}")
        # At the end: the last word and sentence, and no character.
        last = whole.split(" ")[-1]
        self.expect(text.getTextAtOffset(length, self.at.TEXT_BOUNDARY_WORD_START)
                    == (last, length - len(last), length), f"{field.name}: last word of {whole!r}")
        self.expect(text.getTextAtOffset(length, self.at.TEXT_BOUNDARY_CHAR)
                    == ("", length, length), f"{field.name}: character at the end of {whole!r}")
        if whole == "Gut. Ab 10":
            self.expect(text.getTextAtOffset(10, self.at.TEXT_BOUNDARY_SENTENCE_START)
                        == ("Ab 10", 5, 10), "the last sentence")
            self.expect(text.getTextBeforeOffset(10, self.at.TEXT_BOUNDARY_WORD_START)
                        == (" ", 7, 8), "the blank before the last word")

    def type_into(self, name, value, shows=None):
        """Types `value`, after which the field shows `shows` (the value unless told)."""
        field = self.fields(name)[0]
        wait_for(f"{name} enabled", lambda: field.getState().contains(self.at.STATE_ENABLED))
        field.queryEditableText().setTextContents(value)
        shows = value if shows is None else shows
        wait_for(f"{shows!r} in {name}", lambda: field.queryText().getText(0, -1) == shows)
        return field

    def press(self, name, role=None, focused=False):
        button = next(o for o in self.objects if o.name == name
                      and o.getRole() == (role or self.at.ROLE_PUSH_BUTTON))
        wait_for(f"{name} enabled", lambda: button.getState().contains(self.at.STATE_ENABLED))
        if focused:
            button.queryComponent().grabFocus()
            wait_for(f"{name} focused", lambda: button.getState().contains(self.at.STATE_FOCUSED))
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(next((i for i, n in enumerate(names) if n in ("Press", "Toggle")), 0))

    def focus_in(self, name):
        """A button that disabled itself left the focus in this field, caret at the end."""
        field = self.fields(name)[0]
        try:
            wait_for(f"the focus in {name}",
                     lambda: field.getState().contains(self.at.STATE_FOCUSED))
            text = field.queryText()
            self.expect(text.caretOffset == text.characterCount, f"caret in {name}")
        except AssertionError as error:
            self.failures.append(str(error))

    def hear(self, expected):
        """`expected`: the words, or a function that makes them from what the fields show."""
        words = expected if callable(expected) else lambda: expected

        def said():
            return next((o.name for o in self.top if o.getRole() == self.at.ROLE_NOTIFICATION), None)
        try:
            wait_for(repr(expected), lambda: said() == words())
        except AssertionError:
            self.failures.append(f"announced {said()!r}, not {words()!r}")

    def results(self):
        # A blank result is named by its own blank text, not by its group, and labelled by the
        # caption before it.
        caption = "max. sichere Bremsbeschleunigung:  Amax="
        amax = [o for o in self.objects if o.getRole() == self.at.ROLE_LABEL
                and o.name != caption and self.spoken(o) == caption]
        self.expect([o.name for o in amax] == [""], f"the blank Amax label: {amax}")
        # Text set through the bus reaches the rules: ratings 12 and 15 give 48 and 22.
        self.type_into("Beschleunigung des Fahrzeugs A= m/k²", "12")
        self.hear("max. sichere Bremsbeschleunigung: Amax= 48 m/k²")
        self.expect(amax[0].name == "48", f"Amax reads {amax[0].name!r}")
        self.type_into("Höchstgeschwindigkeit des Fahrzeugs V= m/k", "15")
        self.hear("max. Geschwindigkeit: Vmax= 22 m/k")
        # A speed above Vmax is rewritten in the field being typed in, and so is an emptied one.
        speed = self.type_into("Aktuelle Geschwindigkeit m/k", "300", "22").queryText()
        self.hear("Aktuelle Geschwindigkeit 22 m/k")
        self.type_into("Aktuelle Geschwindigkeit m/k", "20")
        self.type_into("Aktuelle Geschwindigkeit m/k", "", "20")
        self.hear("Aktuelle Geschwindigkeit 20 m/k")
        # Braking 5 from 20 leaves 15, heard though the focus stays in the brake's panel.
        self.type_into("Bremsen Verzögern um: m/k", "5")
        self.press("Berechne den Mindestwurf Bremsen")
        self.hear("Erforderlicher Mindestwurf +0")
        self.type_into("Bremsen Erfolge", "2")
        self.press("BRAKE!", focused=True)
        self.hear("Aktuelle Geschwindigkeit 15 m/k")
        self.focus_in("Bremsen Erfolge")
        # Accelerating by no successes leaves 15, which is said again all the same.
        self.press("Berechne den Mindestwurf Bremsen")
        self.hear("Erforderlicher Mindestwurf +0")
        self.press("ACCELERATE!")
        self.hear("Aktuelle Geschwindigkeit 15 m/k")
        # Radius 100 at 15 m/k: 2,25 m/k², of which the g-force fields keep 0,03 and 2,25.
        self.press("Berechne den Mindestwurf Kurve")
        self.hear("Kurve g-Force 0,03, Kurve g-Force 2,25 m/k², Erforderlicher Mindestwurf +0")
        self.type_into("Kurve Erfolge", "1")
        self.press("TURN!", focused=True)
        self.hear("Überstrichener Winkel in einer Kampfrunde 9, "
                  "Aktuelle Geschwindigkeit 12,75 m/k")
        self.focus_in("Kurve Erfolge")
        self.expect(speed.getText(0, -1) == "12,75", "the speed after the turn")
        # By g-force: 2 g are 152 m/k², at 20 m/k a radius of 400 / 152 m.
        self.press("g-Force", self.at.ROLE_RADIO_BUTTON)
        self.type_into("Kurve g-Force", "2")
        self.hear("Kurve g-Force 152 m/k²")
        self.type_into("Aktuelle Geschwindigkeit m/k", "20")
        self.press("Berechne den Mindestwurf Kurve")
        self.hear("Kurve Radius [m] 2,631579, Erforderlicher Mindestwurf +6")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--inside":
        sys.exit(inside(*sys.argv[2:]))
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(outer(*sys.argv[1:]))
