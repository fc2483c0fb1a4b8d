# Lumeta as a screen reader reaches it over AT-SPI: the keys, the text display's text, caret,
# lines, words and sentences at every offset (each answered within a second, from 0 to one past
# the end), the caret set where typing goes on (at 0 and at the end; past the end refused), the
# candidate strip's children in screen order and its selection, the mode spoken by name, 送る's
# messages as notifications with a text, the symbol picker's cells (hidden while it is closed)
# and page names, pressed through their "Press" actions, the roles and names of what is shown,
# and the changes announced on the accessibility bus, each with the signature AT-SPI expects. Talks D-Bus through gdbus and
# dbus-monitor only. Run by atspi_test.sh inside a private D-Bus session and an Xvfb display:
# atspi_test.py path/to/lumeta
import concurrent.futures
import os
import re
import subprocess
import sys
import threading
import time

REGISTRY = "org.a11y.atspi.Registry"
ROOT = "/org/a11y/atspi/accessible/root"
LINE_START = "5"  # ATSPI_TEXT_BOUNDARY_LINE_START
BOUNDARIES = range(7)  # ATSPI_TEXT_BOUNDARY_CHAR .. LINE_END
SHOWING, SELECTED = 25, 23  # ATSPI_STATE_*
SCREEN = "0"  # ATSPI_COORD_TYPE_SCREEN


class Frozen(Exception):
    """Lumeta did not answer a call within a second."""


def session_call(*args):
    return subprocess.run(["gdbus", "call", "--session"] + list(args), capture_output=True,
                          text=True, check=True).stdout.strip()


# Starting the accessibility bus before Lumeta lets Qt find it when it starts.
ADDRESS = session_call("--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus", "--method",
                       "org.a11y.Bus.GetAddress").strip("(),'")


def call(bus, path, method, *params):
    done = subprocess.run(["gdbus", "call", "--address", ADDRESS, "--timeout", "1", "--dest", bus,
                           "--object-path", path, "--method", method, "--"] + list(params),
                          capture_output=True, text=True)
    if done.returncode != 0:
        if "Timeout" in done.stderr or "NoReply" in done.stderr:
            raise Frozen(f"{method} {' '.join(params)} on {path}")
        raise RuntimeError(f"{method} {' '.join(params)} on {path}: {done.stderr.strip()}")
    return done.stdout.strip()


def refs(text):
    return re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", text)


def children(bus, path):
    return refs(call(bus, path, "org.a11y.atspi.Accessible.GetChildren"))


def name(bus, path):
    reply = call(bus, path, "org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Accessible",
                 "Name")
    match = re.search(r"<'(.*)'>", reply)
    return match.group(1) if match else ""


def role(bus, path):
    return call(bus, path, "org.a11y.atspi.Accessible.GetRoleName").strip("()',")


def first_string(reply):
    match = re.search(r"'([^']*)'", reply)
    return match.group(1) if match else ""


def description(bus, path):
    reply = call(bus, path, "org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Accessible",
                 "Description")
    match = re.search(r"<'(.*)'>", reply)
    return match.group(1) if match else ""


def extents(bus, path):
    """x, y, width, height on the screen."""
    reply = call(bus, path, "org.a11y.atspi.Component.GetExtents", SCREEN)
    return tuple(int(n) for n in re.findall(r"-?\d+", reply))


def states(bus, path):
    """The set of ATSPI_STATE_* numbers of an object."""
    reply = call(bus, path, "org.a11y.atspi.Accessible.GetState").replace("uint32", "")
    words = [int(w) for w in re.findall(r"\d+", reply)]
    return {i for i in range(64) if words[i // 32] >> (i % 32) & 1}


def signals(log, member, detail):
    """The object paths of the logged signals `member` whose first argument is `detail`."""
    text = open(log).read()
    found = []
    for block in text.split("\nsignal ")[1:]:
        if f"member={member}" in block and f'string "{detail}"' in block.split("\n")[1]:
            found.append(re.search(r"path=([^;]+);", block).group(1))
    return found


def children_changed(log, path):
    """The ChildrenChanged signals of `path` as (kind, whether the child came as a variant): the
    child must come as a variant ("siiv(so)"), or every client drops the signal as invalid."""
    found = []
    for block in open(log).read().split("\nsignal ")[1:]:
        lines = block.split("\n")
        if "member=ChildrenChanged" not in lines[0] or f"path={path};" not in lines[0]:
            continue
        kind = re.search(r'string "([^"]*)"', lines[1])
        found.append((kind.group(1) if kind else "", len(lines) > 4 and
                      lines[4].strip().startswith("variant")))
    return found


failures = []


def keep_registering(stop):
    """Registers the events a screen reader listens to, again and again until `stop`, so that
    Lumeta hears of the listener however late its bridge starts to follow registrations on a
    busy machine."""
    while not stop.is_set():
        for event in ("object:text-changed:insert", "object:text-changed:delete",
                      "object:text-caret-moved", "object:property-change:accessible-name",
                      "object:state-changed:selected", "object:state-changed:showing",
                      "object:children-changed"):
            subprocess.run(["gdbus", "call", "--address", ADDRESS, "--dest", REGISTRY,
                            "--object-path", "/org/a11y/atspi/registry", "--method",
                            "org.a11y.atspi.Registry.RegisterEvent", "--", event],
                           capture_output=True)
        stop.wait(0.5)


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: got {got!r}, expected {expected!r}")


def wait_for(what, read, expected, seconds=10):
    deadline = time.time() + seconds
    got = read()
    while got != expected and time.time() < deadline:
        time.sleep(0.1)
        got = read()
    check(what, got, expected)


def main():
    events = open("atspi_events.log", "w")
    # Line by line, so that nothing is lost in a buffer when it is stopped.
    monitor = subprocess.Popen(["stdbuf", "-oL", "dbus-monitor", "--address", ADDRESS,
                                "type='signal',interface='org.a11y.atspi.Event.Object'"],
                               stdout=events, stderr=subprocess.DEVNULL)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    app = subprocess.Popen([sys.argv[1]], env=env, stderr=subprocess.DEVNULL)
    stop = threading.Event()
    registering = threading.Thread(target=keep_registering, args=(stop,))
    try:
        deadline = time.time() + 20
        apps = []
        while not apps and time.time() < deadline:
            time.sleep(0.2)
            apps = children(REGISTRY, ROOT)
        if not apps:
            print("Lumeta never appeared on the accessibility bus")
            return 1
        bus = apps[-1][0]
        # Listening as a screen reader does: Qt then sends these events.
        registering.start()
        time.sleep(1.5)

        def find_all():
            found = {}

            def walk(path, depth):
                for b, p in children(bus, path):
                    r = role(b, p)
                    found.setdefault((r, name(b, p)), p)
                    if depth < 6 and r not in ("list item", "table cell"):
                        walk(p, depth + 1)

            walk(ROOT, 0)
            return found

        found = find_all()
        text = found[("text", "入力テキスト")]

        def typed():
            return first_string(call(bus, text, "org.a11y.atspi.Text.GetText", "0", "-1"))

        def caret():
            reply = call(bus, text, "org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Text",
                         "CaretOffset")
            return int(re.search(r"<(-?\d+)>", reply).group(1))

        def press(path):
            actions = call(bus, path, "org.a11y.atspi.Action.GetActions")
            check(f"actions of {name(bus, path)}", "'Press'" in actions, True)
            call(bus, path, "org.a11y.atspi.Action.DoAction", "0")

        def unnamed_shown(what):
            """Everything shown has a name, or is left out of the tree."""
            unnamed = []

            def walk(path, depth):
                for b, p in children(bus, path):
                    if SHOWING not in states(b, p):
                        continue
                    r = role(b, p)
                    if not name(b, p):
                        unnamed.append(f"{r} in {name(bus, path) or role(bus, path)}")
                    if depth < 6 and r not in ("list item", "table cell"):
                        walk(p, depth + 1)

            walk(apps[-1][1], 0)
            check(f"shown parts of {what} without a name", unnamed, [])

        def every_boundary(what):
            """Asks for every kind of piece at, before and after every offset, the end included:
            each answers within a second with a piece inside the text."""
            whole = typed()

            def ask(question):
                method, offset, boundary = question
                args = (bus, text, f"org.a11y.atspi.Text.{method}", str(offset), str(boundary))
                try:
                    reply = call(*args)
                except Frozen:
                    reply = call(*args)  # once more: a busy machine, or frozen for good
                piece, start, end = re.match(r"\('([^']*)', (-?\d+), (-?\d+)\)", reply).groups()
                start, end = int(start), int(end)
                inside = (start == end == -1 or
                          (0 <= start <= end <= len(whole) and whole[start:end] == piece))
                check(f"{method} {offset} {boundary} on {what} {whole!r}: {reply}", inside, True)

            questions = [(method, offset, boundary) for offset in range(len(whole) + 2)
                         for boundary in BOUNDARIES
                         for method in ("GetTextAtOffset", "GetTextBeforeOffset",
                                        "GetTextAfterOffset")]
            # A few at a time, as several assistive tools may ask at once.
            with concurrent.futures.ThreadPoolExecutor(4) as pool:
                for answered in pool.map(ask, questions):
                    pass
            check(f"the text after the pieces of {what}", typed(), whole)

        check("the window's role", [(role(b, p), name(b, p)) for b, p in children(bus, apps[-1][1])],
              [("frame", "Lumeta")])
        every_boundary("an empty text")

        # Until symbol mode first opens, the picker is not made: no cell of it can be listed.
        check("the symbol picker's grid before symbol mode", found.get(("table", "記号の一覧")), None)

        # 送る's message is a notification, read through its text and announced by its name.
        press(found[("push button", "送る")])

        frame = children(bus, apps[-1][1])[0][1]

        def notification():
            """送る's message under the keys, a child of the window: its name and path."""
            for b, p in children(bus, frame):
                if role(b, p) == "notification" and description(b, p) == "送信の状況":
                    return name(b, p), p
            return None, None

        wait_for("送る's message", lambda: notification()[0], "送る文章がありません")
        said, label = notification()
        if label:
            check("送る's message as text",
                  first_string(call(bus, label, "org.a11y.atspi.Text.GetText", "0",
                                    str(len(said) + 1))), said)
            check("送る's message shown", SHOWING in states(bus, label), True)
            wait_for("送る's message announced",
                     lambda: label in signals("atspi_events.log", "PropertyChange",
                                              "accessible-name") and
                     label in signals("atspi_events.log", "StateChanged", "showing"), True)

        # A caret set through AT-SPI is where typing goes on, as after a click there.
        for key in ("キー A", "キー I"):
            press(found[("push button", key)])
        wait_for("text after A I", typed, "あい")
        every_boundary("kana")
        # The caret goes to 0 and to the end; one past the end is refused and moves nothing.
        for offset, expected in ((0, 0), (2, 2), (0, 0), (3, 0)):
            call(bus, text, "org.a11y.atspi.Text.SetCaretOffset", str(offset))
            time.sleep(0.3)
            wait_for(f"caret after SetCaretOffset {offset}", caret, expected)
        check("SetCaretOffset 1", call(bus, text, "org.a11y.atspi.Text.SetCaretOffset", "1"),
              "(true,)")
        wait_for("caret after SetCaretOffset 1", caret, 1)
        press(found[("push button", "キー U")])
        wait_for("text after U at the caret set", typed, "あうい")
        check("caret after U", caret(), 2)
        press(found[("push button", "消去")])
        wait_for("text after 消去", typed, "")

        # The strip's candidate on display is its selected child, and ↓ tells of the move.
        for key in ("キー K", "キー A", "キー I"):
            press(found[("push button", key)])
        wait_for("text after K A I", typed, "かい")
        check("caret after K A I", caret(), 2)

        strip = found[("list", "変換候補")]
        wait_for("the strip's first candidates",
                 lambda: [n for n in (name(b, p) for b, p in children(bus, strip))
                          if re.match(r"\d+ ", n)][:2], ["1 回", "2 会"])
        wait_for("news of the strip's new candidates",
                 lambda: strip in signals("atspi_events.log", "ChildrenChanged", "add"), True)
        # A reader meets the children in the order they are drawn: the predictions, then the
        # candidates, each right of the one before it or on a row below.
        shown = [(b, p) for b, p in children(bus, strip) if SHOWING in states(b, p)]
        places = [extents(b, p)[:2] for b, p in shown]
        check("the strip's children in screen order",
              places, sorted(places, key=lambda xy: (xy[1], xy[0])))
        check("predictions before candidates",
              [description(b, p) == "予測" for b, p in shown],
              sorted((description(b, p) == "予測" for b, p in shown), reverse=True))
        changes = children_changed("atspi_events.log", strip)
        check("news of the strip's children as AT-SPI wants it (the child a variant)",
              [kind for kind, variant in changes if not variant], [])
        check("news of children that went and came",
              {kind for kind, variant in changes} >= {"add", "remove"}, True)
        press(found[("push button", "下")])
        press(found[("push button", "下")])
        wait_for("text after ↓ ↓", typed, "会")
        candidates = children(bus, strip)
        wait_for("the selected candidate after ↓ ↓",
                 lambda: [name(b, p) for b, p in candidates if SELECTED in states(b, p)],
                 ["2 会"])
        wait_for("selection news of ↓ ↓",
                 lambda: sorted({name(bus, p) for p in signals("atspi_events.log", "StateChanged",
                                                               "selected")}),
                 ["1 回", "2 会"])
        every_boundary("kanji")
        press(children(bus, strip)[1][1])
        wait_for("text after pressing candidate 2", typed, "会")
        check("caret after the candidate", caret(), 1)
        check("line at 0",
              first_string(call(bus, text, "org.a11y.atspi.Text.GetTextAtOffset", "0",
                                LINE_START)), "会")

        # The mode is spoken: the status's new name is announced.
        press(found[("push button", "モード")])
        wait_for("the mode announced",
                 lambda: "入力モード: 英字 大文字 半角" in
                 [name(bus, p) for p in signals("atspi_events.log", "PropertyChange",
                                                "accessible-name")], True)
        for key in ("キー K", "キー A"):
            press(found[("push button", key)])
        every_boundary("mixed text")
        press(found[("push button", "消去")])
        for key in ("キー K", "キー A", "キー W"):
            press(found[("push button", key)])
        every_boundary("Latin")
        unnamed_shown("the window")

        press(found[("push button", "モード")])
        deadline = time.time() + 10
        grid = None
        while grid is None and time.time() < deadline:
            time.sleep(0.2)
            grid = find_all().get(("table", "記号の一覧"))
        if grid is None:
            failures.append("the symbol picker's grid never appeared")
        else:
            cells = children(bus, grid)
            check("cells on the first page", len(cells), 150)
            check("the first cells", [name(b, p) for b, p in cells[:3]], ["○", "●", "◎"])
            before = typed()
            press(cells[1][1])
            wait_for("text after pressing cell 2", typed, before + "●")
            picker = find_all().get(("panel", "記号モード"))
            check("the picker is a panel in the window, shown",
                  picker is not None and SHOWING in states(bus, picker), True)
            unnamed_shown("the symbol picker")
            # A page's name turns to that page.
            press(next(p for b, p in children(bus, picker) if name(b, p) == "絵文字"))
            wait_for("the page clicked", lambda: description(bus, grid), "絵文字")
            press(found[("push button", "決定")])
            wait_for("cells of the picker closed again",
                     lambda: [name(b, p) for b, p in children(bus, grid)[:10]
                              if SHOWING in states(b, p)], [])
            check("extents of a cell of the closed picker", extents(*children(bus, grid)[0])[2:],
                  (0, 0))
        time.sleep(0.5)
    except Frozen as frozen:
        failures.append(f"no answer within a second, Lumeta frozen: {frozen}")
    finally:
        stop.set()
        if registering.is_alive():
            registering.join()
        app.terminate()
        app.wait()
        monitor.terminate()
        events.close()

    heard = open("atspi_events.log").read()
    # On a busy machine the first keys may come before Lumeta has heard of the listener; the
    # later insertions (the candidate, the symbol) are announced all the same.
    check("insertions announced", 'string "insert"' in heard and
          any(f'string "{t}"' in heard for t in ("か", "会", "●")), True)
    check("caret moves announced", "member=TextCaretMoved" in heard, True)
    for failure in failures:
        print("FAIL:", failure)
    print("AT-SPI:", "failed" if failures else "all checks passed")
    return 1 if failures else 0


sys.exit(main())
