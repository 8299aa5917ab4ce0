"""Checks plumora-sim's page against the text timeline of the same run, and in a real browser.

    check_page.py frames SIM SCENARIO...   every drawn window of every step against the frames
                                           the text timeline gives at that line
    check_page.py browser SIM SCENARIO     screenshots in headless Chromium, judged by pixels
    check_page.py layout SIM SCENARIO...   each page at 800x600 and 1280x800: nothing wider than
                                           the window; a full-screen window's space drawn over
                                           its screen, a posted shortcut's key caps on its window
    check_page.py compare SIM SCENARIO...  the page of --compare for the scenario's recording with
                                           a log line edited by hand: the printed table's rows,
                                           the recorded markup as text, nothing cut off

Both read the text output as the truth: the page must draw what the timeline says.
"""

import html.parser
import json
import os
import re
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"
RECT = re.compile(r"\((-?\d+),(-?\d+) (\d+)x(\d+)\)")
LINE = re.compile(r"^ *(\d+\.\d{3})  (\S+) +(.*)$")
FRAME_LINE = re.compile(r"^(\S+) (\(.*?\)) -> (\(.*?\))$")
POINTER_LINE = re.compile(r"^(press|drag|release) at \((-?[\d.]+),(-?[\d.]+)\): "
                          r"(swallowed by Plumora|passed|no event tap)")
# Where the green button's centre lies in a window's frame (the simulated desktop's buttons).
GREEN_CENTRE = (55, 14)

failures = []


def fail(message):
    failures.append(message)
    print("FAILED " + message)


def rect_of(text):
    found = RECT.fullmatch(text)
    if not found:
        raise ValueError("not a rectangle: " + text)
    return tuple(int(v) for v in found.groups())


def data_rect(text):
    """A data-frame attribute, "x,y wxh", as numbers."""
    found = re.fullmatch(r"(-?[\d.]+),(-?[\d.]+) ([\d.]+)x([\d.]+)", text)
    if not found:
        raise ValueError("not a data rectangle: " + text)
    return tuple(float(v) for v in found.groups())


def contains(rect, x, y):
    return rect[0] <= x < rect[0] + rect[2] and rect[1] <= y < rect[1] + rect[3]


def truncated(values):
    # The text gives each number truncated toward zero.
    return tuple(int(v) for v in values)


class Timeline:
    """The text output of a run: the windows at the start, then its lines."""

    def __init__(self, text):
        self.windows = {}  # name -> frame at the start
        self.layers = {}
        self.stacking = []
        self.frontmost = None
        self.screens = []
        self.lines = []
        part = "header"
        for line in text.splitlines():
            if line == "timeline (virtual seconds)":
                part = "timeline"
            elif line == "expectations" or re.match(r"^\d+ of \d+ expectations met$", line):
                part = "results"
            elif part == "header":
                found = re.match(r"^  window      (\S+): .*?, (\(-?\d+,-?\d+ \d+x\d+\))", line)
                if found:
                    self.windows[found.group(1)] = rect_of(found.group(2))
                    layer = re.search(r", layer (-?\d+)", line)
                    self.layers[found.group(1)] = int(layer.group(1)) if layer else 0
                found = re.match(r"^  screen \d+ +(\(.*?\)), usable (\(.*?\))$", line)
                if found:
                    self.screens.append((rect_of(found.group(1)), rect_of(found.group(2))))
                if line.startswith("  stacking    "):
                    self.stacking = line[14:].split(" (front to back)")[0].split(", ")
                if line.startswith("  frontmost   "):
                    self.frontmost = line[14:]
            elif part == "timeline":
                self.lines.append(line)
        # The header gives the order of each layer; raised layers lie above ordinary windows.
        self.stacking.sort(key=lambda name: -self.layers.get(name, 0))


def page_of(path):
    root = ET.parse(path).getroot()
    lines = [li for li in root.iter("li") if li.get("data-step")]
    scenes = [svg for svg in root.iter(SVG + "svg") if svg.get("data-step")]
    return lines, scenes


def check_frames(sim, scenario, work):
    name = os.path.basename(scenario)
    page = os.path.join(work, name + ".html")
    run = subprocess.run([sim, "--html", page, scenario], capture_output=True, text=True)
    if run.returncode not in (0, 1):
        fail(f"{name}: plumora-sim exited with {run.returncode}: {run.stderr}")
        return
    timeline = Timeline(run.stdout)
    lines, scenes = page_of(page)
    if len(lines) != len(timeline.lines) or len(scenes) != len(timeline.lines):
        fail(f"{name}: {len(timeline.lines)} timeline lines, the page has {len(lines)} lines "
             f"and {len(scenes)} drawings")
        return
    frames = dict(timeline.windows)
    closed = set()
    screens_known = True
    target = None  # the window the user's last click or press aimed at
    for step, (text, li, svg) in enumerate(zip(timeline.lines, lines, scenes), start=1):
        where = f"{name} step {step}"
        if li.text != text:
            fail(f"{where}: the page's line is {li.text!r}, the text's {text!r}")
        caption = li.get("data-caption") or ""
        if not caption.endswith(".") or not caption[0].isupper() or LINE.match(caption):
            fail(f"{where}: the caption {caption!r} is not a sentence of its own")
        if svg.get("data-step") != str(step) or li.get("data-step") != str(step):
            fail(f"{where}: numbered {svg.get('data-step')} and {li.get('data-step')}")
        time, tag, rest = LINE.match(text).groups()
        if svg.get("data-time") != time:
            fail(f"{where}: drawn at {svg.get('data-time')}, the line is at {time}")
        before = None
        if tag == "frame":
            window, old, new = FRAME_LINE.match(rest).groups()
            frames[window] = rect_of(new)
            before = (window, rect_of(old))
            # The caption tells where the window went: the screen it fills, or its frame.
            fills = re.search(r" now fills screen (\d+) below the menu bar(?:, with a margin of "
                              r"(\d+) points)?", caption)
            if fills and screens_known:
                ux, uy, uw, uh = timeline.screens[int(fills.group(1))][1]
                m = int(fills.group(2) or 0)
                if rect_of(new) != (ux + m, uy + m, uw - 2 * m, uh - 2 * m):
                    fail(f"{where}: the caption {caption!r} for a frame of {new}")
            elif not fills and new not in caption:
                fail(f"{where}: the caption {caption!r} does not say where {window} went")
        if tag == "window":
            window, change = rest.split(" ", 1)
            if change == "closes":
                closed.add(window)
            if change == "opens":
                closed.discard(window)
        if tag == "world" and "screen" in rest:
            screens_known = False

        drawn = svg.findall(f"{SVG}g[@data-window]")
        names = [g.get("data-window") for g in drawn]
        if sorted(names) != sorted(set(frames) - closed):
            fail(f"{where}: windows drawn {names}, the timeline has {sorted(set(frames) - closed)}")
        # Ordinary windows as the window list stacks them; full-screen ones are spaces of their
        # own, drawn over the desktop.
        ordinary = [g.get("data-window") for g in drawn if g.get("data-full-screen") != "true"]
        stacked = [name for name in timeline.stacking if name in ordinary]
        if step == 1 and timeline.stacking and ordinary[::-1] != stacked:
            fail(f"{where}: stacked {ordinary[::-1]} front to back, the text says {stacked}")
        for g in drawn:
            window = g.get("data-window")
            if window not in frames:
                continue
            frame = data_rect(g.get("data-frame"))
            if truncated(frame) != frames[window]:
                fail(f"{where}: {window} drawn at {g.get('data-frame')}, the timeline says "
                     f"{frames[window]}")
            if g.get("data-space") == "behind":
                # A full-screen window not in front: a tab above its screen, not its frame.
                if g.find(f"{SVG}rect[@data-part='tab']") is None:
                    fail(f"{where}: {window} is full screen behind, with no tab drawn")
                continue
            body = g.find(f"{SVG}rect[@data-part='frame']")
            if body is None or tuple(float(body.get(a)) for a in ("x", "y", "width", "height")) \
                    != frame:
                fail(f"{where}: {window}'s drawn rectangle is not its frame {frame}")
            if g.get("data-full-screen") == "true":
                continue
            green = g.find(f"{SVG}circle[@data-button='green']")
            mark = g.find(f"{SVG}circle[@data-mark='green']")
            centre = (frame[0] + GREEN_CENTRE[0], frame[1] + GREEN_CENTRE[1])
            for what, circle in (("green button", green), ("green button's ring", mark)):
                if circle is None or (float(circle.get("cx")), float(circle.get("cy"))) != centre:
                    fail(f"{where}: {window}'s {what} is not drawn at {centre}")
        # A press lands on what is drawn under the pointer: the window the user aimed at when
        # Plumora swallowed it, one of the application it reached when it passed. No window
        # vanishes behind another, nor behind a full-screen space.
        aimed = re.match(r"^(?:click|press) \S+ button of (\S+) ", rest) if tag == "user" else None
        if aimed:
            target = aimed.group(1)
        press = re.match(r"^press at \((-?[\d.]+),(-?[\d.]+)\): (swallowed by Plumora|passed, "
                         r"reached (\S+))", rest) if tag == "input" else None
        if press:
            x, y = float(press.group(1)), float(press.group(2))
            under = [g for g in drawn if g.get("data-space") != "behind"
                     and contains(data_rect(g.get("data-frame")), x, y)]
            top = under[-1] if under else None
            seen = None if top is None else (top.get("data-window"), top.get("data-app"))
            if press.group(4) and (seen is None or seen[1] != press.group(4)):
                fail(f"{where}: the press reached {press.group(4)}, {seen} is drawn there")
            if not press.group(4) and (seen is None or seen[0] != target):
                fail(f"{where}: Plumora swallowed a press on {target}, {seen} is drawn there")
        outlines = svg.findall(f"{SVG}rect[@data-before-of]")
        if before:
            if len(outlines) != 1 or outlines[0].get("data-before-of") != before[0] or \
                    truncated(data_rect(outlines[0].get("data-frame"))) != before[1]:
                fail(f"{where}: no outline of {before[0]} at {before[1]}")
        elif outlines:
            fail(f"{where}: an outline where no frame changed")
        if screens_known:
            drawn_screens = [(truncated(data_rect(g.get("data-frame"))),
                              truncated(data_rect(g.get("data-usable"))))
                             for g in svg.findall(f"{SVG}g[@data-screen]")]
            if drawn_screens != timeline.screens:
                fail(f"{where}: screens drawn {drawn_screens}, the text says {timeline.screens}")
        pointer = svg.find(f"{SVG}g[@data-pointer]")
        event = POINTER_LINE.match(rest) if tag == "input" else None
        if event:
            kind, x, y, fate = event.groups()
            fate = {"swallowed by Plumora": "swallowed", "passed": "passed",
                    "no event tap": "no-tap"}[fate]
            seen = None if pointer is None else (pointer.get("data-pointer"),
                                                 pointer.get("data-mark"), pointer.get("data-fate"))
            if seen is None or data_rect(seen[0] + " 0x0")[:2] != (float(x), float(y)) or \
                    seen[1:] != (kind, fate):
                fail(f"{where}: the pointer shows {seen}, the line {kind} at {x},{y} {fate}")
        elif pointer is not None and pointer.get("data-mark") != "none":
            fail(f"{where}: a pointer mark on a line without a mouse event")
        if step == 1 and timeline.frontmost:
            for g in drawn:
                ours = g.get("data-app") == timeline.frontmost
                if ours != (g.get("data-frontmost") == "true"):
                    fail(f"{where}: {g.get('data-window')} drawn as "
                         f"{'not ' if ours else ''}of the frontmost app {timeline.frontmost}")
    print(f"ok {name}: {len(scenes)} drawings match the text timeline")


# The browser.

BACKDROP = (0x2d, 0x31, 0x39)
WALLPAPER = (0x4f, 0x7c, 0xac)
MENU_BAR = (0xe4, 0xe8, 0xee)
BODY = (0xfd, 0xfc, 0xf9)
GREEN = (0x28, 0xc8, 0x40)
GREEN_MARK = (0x0d, 0x5c, 0x1e)
SWALLOWED = (0x8e, 0x24, 0xaa)
PASSED = (0xef, 0x6c, 0x00)


def near(pixel, colour, tolerance=6):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def chromium(work, page, fragment, *options):
    profile = tempfile.mkdtemp(dir=work)
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
               "--no-first-run", "--disable-background-networking", "--disable-component-update",
               "--disable-sync", "--hide-scrollbars", "--force-device-scale-factor=1",
               f"--user-data-dir={profile}", "--window-size=1600,1000", *options,
               f"file://{os.path.abspath(page)}{fragment}"]
    return subprocess.run(command, capture_output=True, timeout=120, check=True, text=True).stdout


def screenshot(page, step, path, work):
    chromium(work, page, f"#step={step}", f"--screenshot={path}")
    from PIL import Image
    return Image.open(path).convert("RGB")


class Shown(html.parser.HTMLParser):
    """What the page shows once its script has run: the current drawing, line and position."""

    def __init__(self):
        super().__init__()
        self.current = []
        self.position = None
        self._in_position = False

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        if "current" in (attributes.get("class") or "").split():
            self.current.append((tag, attributes.get("id")))
        self._in_position = attributes.get("id") == "position"

    def handle_data(self, data):
        if self._in_position:
            self.position = data
            self._in_position = False


class Browser:
    """Headless Chromium driven through its DevTools pipe (file descriptors 3 and 4), as a person
    would use the page: keys, clicks, the slider."""

    KEYS = {"ArrowLeft": 37, "ArrowUp": 38, "ArrowRight": 39, "ArrowDown": 40, "Home": 36,
            "End": 35, "PageUp": 33, "PageDown": 34}

    def __init__(self, url, work, size="1600,1000"):
        commands, self._to = os.pipe()
        self._from, answers = os.pipe()

        def descriptors():
            # Duplicated first: a pipe may already sit on 3 or 4, and dup2 onto itself would
            # leave it closed on exec.
            read, write = os.dup(commands), os.dup(answers)
            os.dup2(read, 3)
            os.dup2(write, 4)

        self._process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--hide-scrollbars", "--force-device-scale-factor=1",
             f"--user-data-dir={tempfile.mkdtemp(dir=work)}", f"--window-size={size}",
             "--remote-debugging-pipe", url],
            preexec_fn=descriptors, close_fds=False, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(commands)
        os.close(answers)
        self._pending = b""
        self._id = 0
        self._session = None
        page = next(t for t in self._send("Target.getTargets")["targetInfos"]
                    if t["type"] == "page")
        self._session = self._send("Target.attachToTarget",
                                   {"targetId": page["targetId"], "flatten": True})["sessionId"]
        for _ in range(200):
            if self.evaluate("document.readyState === 'complete' &&"
                             " document.getElementById('position') !== null"):
                break
            time.sleep(0.05)
        else:
            raise AssertionError(f"the page at {url} did not load")

    def _send(self, method, params=None):
        self._id += 1
        message = {"id": self._id, "method": method, "params": params or {}}
        if self._session and not method.startswith("Target."):
            message["sessionId"] = self._session
        os.write(self._to, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self._pending:
                chunk = os.read(self._from, 65536)
                if not chunk:
                    raise AssertionError("Chromium closed its DevTools pipe")
                self._pending += chunk
            raw, self._pending = self._pending.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == self._id:
                if "error" in answer:
                    raise AssertionError(f"{method}: {answer['error']}")
                return answer["result"]

    def evaluate(self, expression):
        return self._send("Runtime.evaluate",
                          {"expression": expression, "returnByValue": True})["result"].get("value")

    def screenshot(self, path):
        import base64
        data = self._send("Page.captureScreenshot", {"format": "png"})["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))
        from PIL import Image
        return Image.open(path).convert("RGB")

    def key(self, name):
        for kind in ("keyDown", "keyUp"):
            self._send("Input.dispatchKeyEvent", {"type": kind, "key": name, "code": name,
                                                  "windowsVirtualKeyCode": self.KEYS[name]})

    def click(self, selector, where=0.5):
        """A click of the mouse on the element, `where` of the way across it."""
        box = self.evaluate(f"(function () {{ var r = document.querySelector('{selector}')"
                            ".getBoundingClientRect(); return [r.left, r.top, r.width, r.height];"
                            " })()")
        x, y = box[0] + box[2] * where, box[1] + box[3] / 2
        for kind in ("mousePressed", "mouseReleased"):
            self._send("Input.dispatchMouseEvent",
                       {"type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})

    def shown(self):
        """The step shown: the current line's and drawing's numbers, the position's text and the
        address's fragment."""
        return self.evaluate(
            "[document.querySelector('#lines li.current').dataset.step,"
            " document.querySelector('#scenes svg.current').dataset.step,"
            " document.getElementById('position').textContent, location.hash].join(' ')")

    def close(self):
        try:
            self._send("Browser.close")
        except AssertionError:
            pass
        os.close(self._to)
        os.close(self._from)
        self._process.wait(timeout=30)


def check_stepping(page, work, count):
    browser = Browser(f"file://{os.path.abspath(page)}#step=5", work)

    def now(step, how):
        seen = browser.shown()
        expect(seen == f"{step} {step} step {step} of {count} #step={step}",
               f"{how}: step {step} shown, address #step={step} ({seen})")

    try:
        now(5, "opened at #step=5")
        for key, step in (("ArrowRight", 6), ("ArrowDown", 7), ("ArrowLeft", 6), ("ArrowUp", 5),
                          ("End", count), ("ArrowRight", count), ("Home", 1), ("ArrowLeft", 1),
                          ("PageDown", 11), ("PageUp", 1)):
            browser.key(key)
            now(step, f"the {key} key")
        browser.click("#line-9")
        now(9, "a click on line 9")
        for button, step in (("last", count), ("previous", count - 1), ("first", 1), ("next", 2)):
            browser.click(f"#{button}")
            now(step, f"the {button} button")
        browser.click("#slider", 0.99)
        now(count, "a click at the slider's end")
        browser.key("ArrowLeft")  # the slider has the focus and moves itself, by one
        now(count - 1, "the Left key on the slider")
        browser.evaluate("location.hash = '#step=3'")
        for _ in range(100):
            if browser.shown().startswith("3 "):
                break
            time.sleep(0.05)
        now(3, "a new address")
    finally:
        browser.close()


def check_fragment(page, work, fragment, step, count):
    shown = Shown()
    shown.feed(chromium(work, page, fragment, "--dump-dom"))
    expected = [("svg", f"scene-{step}"), ("li", f"line-{step}")]
    expect(sorted(shown.current) == sorted(expected) and
           shown.position == f"step {step} of {count}",
           f"{fragment or 'no fragment'} shows step {step}: {shown.current}, {shown.position!r}")


class Picture:
    """A screenshot, with the desktop's points placed on it by the drawn menu bar."""

    def __init__(self, image, screen_width):
        self.image = image
        self.pixels = image.load()
        # The drawing is the one dark area of the page; its screen's menu bar lies inside it.
        drawing = self.bounds(BACKDROP, (0, 0) + image.size)
        if not drawing:
            raise AssertionError("no drawing in the screenshot")
        bar = self.bounds(MENU_BAR, drawing)
        if not bar:
            raise AssertionError("no menu bar in the drawing")
        self.left, self.top = bar[0], bar[1]
        self.scale = (bar[2] - bar[0]) / screen_width
        if abs((bar[3] - bar[1]) - 25 * self.scale) > 2:
            raise AssertionError(f"the menu bar found at {bar} is not 25 points high")

    def bounds(self, colour, box):
        """The box (left, top, right, bottom), right and bottom excluded, of the rows inside `box`
        that are mostly of the colour: a filled rectangle, not stray edge pixels elsewhere."""
        left, top, right, bottom = box
        rows = {}
        for y in range(top, bottom):
            xs = [x for x in range(left, right) if near(self.pixels[x, y], colour, 2)]
            if xs:
                rows[y] = xs
        if not rows:
            return None
        widest = max(len(xs) for xs in rows.values())
        full = {y: xs for y, xs in rows.items() if len(xs) >= widest / 2}
        return (min(min(xs) for xs in full.values()), min(full),
                max(max(xs) for xs in full.values()) + 1, max(full) + 1)

    def box(self, rect, inset=3):
        x, y, w, h = rect
        return (round(self.left + x * self.scale) + inset, round(self.top + y * self.scale) + inset,
                round(self.left + (x + w) * self.scale) - inset,
                round(self.top + (y + h) * self.scale) - inset)

    def share(self, box, colour, tolerance=6):
        """The share of the box's pixels that have the colour."""
        left, top, right, bottom = box
        total = hits = 0
        for y in range(top, bottom):
            for x in range(left, right):
                total += 1
                hits += near(self.pixels[x, y], colour, tolerance)
        return hits / max(total, 1)

    def count_around(self, point, radius, colour, tolerance=40):
        cx = self.left + point[0] * self.scale
        cy = self.top + point[1] * self.scale
        r = radius * self.scale
        hits = 0
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    hits += near(self.pixels[x, y], colour, tolerance)
        return hits


def expect(condition, message):
    if condition:
        print("ok " + message)
    else:
        fail(message)


def check_browser(sim, scenario, work):
    name = os.path.basename(scenario)
    page = os.path.join(work, "browser.html")
    run = subprocess.run([sim, "--html", page, scenario], capture_output=True, text=True,
                         check=True)
    timeline = Timeline(run.stdout)
    (screen, usable), = timeline.screens
    window, start = next(iter(timeline.windows.items()))
    # The steps around the first Fill and the restore after it, found in the text.
    click = next(i for i, line in enumerate(timeline.lines, 1)
                 if re.search(rf"  user +click green button of {window} ", line))
    changes = [(i, FRAME_LINE.match(LINE.match(line).group(3)).groups())
               for i, line in enumerate(timeline.lines, 1) if LINE.match(line).group(2) == "frame"]
    (filled_at, (_, _, filled)), (restored_at, (_, _, restored)) = changes[:2]
    press = next(i for i, line in enumerate(timeline.lines, 1)
                 if re.search(r"  input +press at .*: swallowed by Plumora", line))
    filled, restored = rect_of(filled), rect_of(restored)
    expect(filled == usable, f"{name}: the Fill gives the usable area {usable}")

    count = len(timeline.lines)
    for fragment, step in (("", 1), ("#step=0", 1), (f"#step={count + 5}", count)):
        check_fragment(page, work, fragment, step, count)
    check_stepping(page, work, count)

    # The swallowed press told in plain words, with what it led to, found lines later.
    app = re.search(rf"^  window      {window}: ([^,]+),", run.stdout, re.M).group(1)
    browser = Browser(f"file://{os.path.abspath(page)}#step={press}", work)
    try:
        told = browser.evaluate("document.getElementById('told').textContent")
    finally:
        browser.close()
    expect(told == f"Plumora swallowed the click on {window}'s green button and asked {app} to "
                   "Fill it.", f"the swallowed press's caption: {told!r}")

    shots = {}
    for label, step in (("before", click), ("press", press), ("filled", filled_at + 1),
                        ("restored", restored_at + 1)):
        path = os.path.join(work, f"{label}.png")
        shots[label] = Picture(screenshot(page, step, path, work), screen[2])
    before, filled_shot, restored_shot = shots["before"], shots["filled"], shots["restored"]

    def below(shot, frame):
        """The usable area below the window."""
        left, _, right, bottom = shot.box(usable)
        return (left, shot.box(frame)[3] + 8, right, bottom)

    expect(before.share(before.box(start), BODY) > 0.85,
           f"before the click: {window} is drawn in its frame {start}")
    expect(before.share(below(before, start), WALLPAPER) > 0.95,
           "before the click: the desktop shows below the window")
    expect(filled_shot.share(filled_shot.box(usable), BODY) > 0.9,
           f"after the Fill: {window} covers the usable area {usable}")
    expect(filled_shot.share(filled_shot.box(usable), WALLPAPER) < 0.01,
           "after the Fill: no desktop shows")
    expect(restored_shot.share(restored_shot.box(restored), BODY) > 0.85 and
           restored_shot.share(below(restored_shot, restored), WALLPAPER) > 0.95,
           f"after the second click: {window} is back in {restored}")
    for label, frame in (("before", start), ("filled", filled), ("restored", restored)):
        shot = shots[label]
        centre = (frame[0] + GREEN_CENTRE[0], frame[1] + GREEN_CENTRE[1])
        green = shot.count_around(centre, 7, GREEN)
        mark = shot.count_around(centre, 13, GREEN_MARK)
        expect(green >= 8 and mark >= 8,
               f"{label}: the green button and its ring at {centre} ({green} and {mark} pixels)")
    press_shot = shots["press"]
    centre = (start[0] + GREEN_CENTRE[0], start[1] + GREEN_CENTRE[1])
    plum = press_shot.count_around(centre, 28, SWALLOWED)
    orange = press_shot.count_around(centre, 28, PASSED)
    expect(plum >= 30 and orange == 0,
           f"the swallowed press is ringed in plum ({plum} pixels), not orange ({orange})")
    expect(before.count_around(centre, 28, SWALLOWED) == 0, "before the press, no ring")


# The page on a laptop's screen.

FULL_SCREEN = (0x4a, 0x4f, 0x7a)
KEY_CAP = (0xff, 0xf4, 0xb8)

# Every element that reaches past the window, or past the pane that holds it, or scrolls
# sideways: a part cut off.
CUT_OFF = """(function () {
  var width = document.documentElement.clientWidth, cut = [];
  function name(e) { return e.tagName.toLowerCase() + (e.id ? '#' + e.id : ''); }
  function pane(e) {
    for (var p = e.parentElement; p; p = p.parentElement) {
      if (getComputedStyle(p).overflowX !== 'visible') return p;
    }
    return null;
  }
  document.querySelectorAll('body *').forEach(function (e) {
    // Inside a drawing, what lies past its edge is the desktop beyond what it shows.
    if (e.ownerSVGElement) return;
    var r = e.getBoundingClientRect();
    if (!r.width) return;
    var p = pane(e), right = p ? Math.min(width, p.getBoundingClientRect().right) : width;
    if (r.right > right + 0.5) cut.push(name(e) + ' ends at ' + Math.round(r.right) + ', its room at ' + Math.round(right));
    if (getComputedStyle(e).overflowX !== 'visible' && e.scrollWidth > e.clientWidth + 1)
      cut.push(name(e) + ' scrolls sideways');
  });
  if (document.documentElement.scrollWidth > width) cut.push('the page scrolls sideways');
  return cut.slice(0, 6);
})()"""

# Where the current drawing is on the screen, and what its points are.
DRAWING = """(function () {
  var svg = document.querySelector('#scenes svg.current'), r = svg.getBoundingClientRect();
  var box = svg.viewBox.baseVal;
  return [r.left, r.top, r.width, box.x, box.y, box.width];
})()"""


def margin_of(line, screens):
    """The margin a frame line's new frame leaves inside a screen's usable area, the same on
    every side; 0 when it leaves none."""
    found = FRAME_LINE.match(LINE.match(line).group(3))
    x, y, w, h = rect_of(found.group(3))
    for _, (ux, uy, uw, uh) in screens:
        sides = {x - ux, y - uy, ux + uw - x - w, uy + uh - y - h}
        if len(sides) == 1:
            return max(sides.pop(), 0)
    return 0


class Drawn:
    """A screenshot with the current drawing's points placed on it."""

    def __init__(self, image, placement):
        self.pixels = image.load()
        left, top, width, self.x, self.y, view_width = placement
        self.left, self.top, self.scale = left, top, width / view_width

    def share(self, rect, colour, inset=6):
        x, y, w, h = rect
        box = (round(self.left + (x - self.x) * self.scale) + inset,
               round(self.top + (y - self.y) * self.scale) + inset,
               round(self.left + (x + w - self.x) * self.scale) - inset,
               round(self.top + (y + h - self.y) * self.scale) - inset)
        hits = total = 0
        for py in range(box[1], box[3]):
            for px in range(box[0], box[2]):
                total += 1
                hits += near(self.pixels[px, py], colour, 8)
        return hits / max(total, 1)


def check_layout(sim, scenario, work):
    name = os.path.basename(scenario)
    page = os.path.join(work, name + ".html")
    run = subprocess.run([sim, "--html", page, scenario], capture_output=True, text=True)
    timeline = Timeline(run.stdout)
    lines, scenes = page_of(page)
    # The steps worth a look: the first, the longest line, a full-screen space, a shortcut.
    longest = max(range(len(timeline.lines)), key=lambda i: len(timeline.lines[i])) + 1
    spaces = [i for i, line in enumerate(timeline.lines, 1) if line.endswith(" enters full screen")]
    # A Fill that leaves a margin, and a step drawn on a screen of several.
    margins = [i for i, line in enumerate(timeline.lines, 1)
               if LINE.match(line).group(2) == "frame" and margin_of(line, timeline.screens) > 0]
    several = [i for i, svg in enumerate(scenes, 1) if svg.find(f"{SVG}g[@data-overview]")
               is not None and svg.find(f"{SVG}rect[@data-before-of]") is not None]
    keys = [i for i, line in enumerate(timeline.lines, 1) if LINE.match(line).group(2) == "keys"]
    for size in ("800,600", "1280,800"):
        browser = Browser(f"file://{os.path.abspath(page)}#step=1", work, size)
        try:
            looks = spaces[:1] + keys[:1] + margins[:1] + several[:1]
            for step in sorted({1, longest, *looks}):
                browser.evaluate(f"location.hash = '#step={step}'")
                for _ in range(100):
                    if browser.shown().startswith(f"{step} "):
                        break
                    time.sleep(0.05)
                cut = browser.evaluate(CUT_OFF)
                expect(not cut, f"{name} at {size.replace(',', 'x')}, step {step}: nothing cut off"
                                f"{' (' + '; '.join(cut) + ')' if cut else ''}")
                told = browser.evaluate("document.getElementById('told').textContent")
                printed = browser.evaluate("document.getElementById('printed').textContent")
                expect(told and told != printed and printed == timeline.lines[step - 1],
                       f"{name} step {step}: a caption in plain words ({told!r}) and the line "
                       f"as printed beside it")
                if step not in looks or size != "1280,800":
                    continue
                svg = scenes[step - 1]
                shot = Drawn(browser.screenshot(os.path.join(work, f"{name}-{step}.png")),
                             browser.evaluate(DRAWING))
                if step in spaces:
                    window = LINE.match(timeline.lines[step - 1]).group(3).split(" ")[0]
                    g = svg.find(f"{SVG}g[@data-window='{window}']")
                    frame = data_rect(g.get("data-frame"))
                    screen = next(s for s, _ in timeline.screens
                                  if s[0] <= frame[0] + frame[2] / 2 < s[0] + s[2])
                    share = shot.share(screen, FULL_SCREEN)
                    expect(g.get("data-space") == "shown" and share > 0.6,
                           f"{name} step {step}: {window}'s space covers its screen {screen} "
                           f"({share:.0%} of it in the full-screen colour)")
                if step in margins:
                    frame = rect_of(FRAME_LINE.match(LINE.match(timeline.lines[step - 1])
                                                     .group(3)).group(3))
                    margin = margin_of(timeline.lines[step - 1], timeline.screens)
                    strip = (frame[0] - margin, frame[1] + 100, margin, 300)
                    share = shot.share(strip, WALLPAPER, 0)
                    expect(share > 0.5 and margin * shot.scale >= 3,
                           f"{name} step {step}: the margin of {margin} points shows as "
                           f"{margin * shot.scale:.1f} pixels of desktop ({share:.0%})")
                if step in several:
                    title = svg.find(f"{SVG}g[@data-window]/{SVG}text")
                    pixels = float(title.get("font-size")) * shot.scale
                    expect(pixels >= 7.5, f"{name} step {step}: one screen of several drawn with "
                                          f"titles {pixels:.1f} pixels high")
                if step in keys:
                    g = svg.find(f"{SVG}g[@data-keys]")
                    # Posted for the window whose green button was clicked last.
                    clicked = [re.search(r" click green button of (\S+) ", line)
                               for line in timeline.lines[:step]]
                    window = [c.group(1) for c in clicked if c][-1]
                    target = svg.find(f"{SVG}g[@data-window='{window}']")
                    caps = 0 if target is None else shot.share(
                        data_rect(target.get("data-frame")), KEY_CAP, 0)
                    expect(g is not None and caps > 0.01,
                           f"{name} step {step}: the shortcut's key caps "
                           f"{g.get('data-keys') if g is not None else None!r} on the window it "
                           f"went to ({caps:.1%} of it in the key caps' colour)")
        finally:
            browser.close()


TABLE_ROW = re.compile(r"^([a-z ]+?) +(#\d+|-) +(#\d+|-) +(.*)\n +recorded: +(.*)\n +simulated: (.*)$",
                       re.M)


def check_compare(sim, scenario, work):
    name = os.path.basename(scenario)
    recording = os.path.join(work, name + ".jsonl")
    subprocess.run([sim, "--quiet", "--record", recording, scenario], capture_output=True,
                   check=True)
    # The first log line made long and full of markup: the cell must wrap it and show it as text.
    said = "<b>Plumora</b> & 'co' " + "NoPlaceToBreak" * 24 + "</td></table>"
    with open(recording, encoding="utf-8") as f:
        lines = f.read().split("\n")
    first = next(i for i, line in enumerate(lines) if line.startswith('{"ev":"log"'))
    lines[first] = re.sub(r'"v":"(?:[^"\\]|\\.)*"', lambda _: '"v":' + json.dumps(said),
                          lines[first], count=1)
    with open(recording, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    page = os.path.join(work, name + ".compare.html")
    run = subprocess.run([sim, "--compare", recording, "--html", page], capture_output=True,
                         text=True)
    expect(run.returncode == 1, f"{name}: the edited recording compares with exit 1 (it gave "
                                f"{run.returncode}{(': ' + run.stderr.strip()) if run.stderr.strip() else ''})")
    rows = [["".join(td.itertext()) for td in tr.iter("td")]
            for tr in ET.parse(page).getroot().iter("tr")]
    rows = [row for row in rows if row]
    printed = [list(match.groups()) for match in TABLE_ROW.finditer(run.stdout)]
    expect(rows and rows == printed, f"{name}: the page's {len(rows)} rows are the printed "
                                     f"table's {len(printed)}")
    expect(any(json.dumps(said) == row[4] for row in rows),
           f"{name}: the recorded log line shows as text on the page")
    browser = Browser(f"file://{os.path.abspath(page)}#step=1", work, "800,600")
    try:
        cut = browser.evaluate(CUT_OFF)
        expect(not cut, f"{name} comparison at 800x600: nothing cut off"
                        f"{' (' + '; '.join(cut) + ')' if cut else ''}")
    finally:
        browser.close()


def main():
    mode, sim, scenarios = sys.argv[1], sys.argv[2], sys.argv[3:]
    with tempfile.TemporaryDirectory() as work:
        for scenario in scenarios:
            if mode == "frames":
                check_frames(sim, scenario, work)
            elif mode == "layout":
                check_layout(sim, scenario, work)
            elif mode == "compare":
                check_compare(sim, scenario, work)
            else:
                check_browser(sim, scenario, work)
    if failures:
        print(f"{len(failures)} checks failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
