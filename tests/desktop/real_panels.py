#!/usr/bin/env python3
"""Runs the built program under real panels on a virtual X screen, finds its tray icon on the
screen and clicks it as a user would, with a window manager and a private session bus.

Usage: real_panels.py KOVRA_BINARY OUTPUT_FOLDER [HOST ...]
Hosts: xfce (xfce4-panel's status tray), trayer and tint2 (XEmbed), ayatana (xfce4-panel's
indicator plugin with the Ayatana application indicator service). Exit status 0 when every check
passed, 1 when one failed, 77 when a host's programs are missing (the test is skipped).
Screenshots of every step go to OUTPUT_FOLDER/<host>-<step>.png.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WIDTH, HEIGHT = 1600, 900
PANEL_WIDTH = 420

HOST_PROGRAMS = {
    "xfce": ["xfce4-panel", "xfwm4"],
    "trayer": ["trayer", "xfwm4"],
    "tint2": ["tint2", "xfwm4"],
    "ayatana": ["xfce4-panel", "xfwm4", "/usr/libexec/ayatana-indicator-application/ayatana-indicator-application-service"],
    "gnome": ["gnome-shell", "Xwayland", "gdbus", "/usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com"],
    "plasma": ["plasmashell", "kwin_x11", "gdbus"],
}
COMMON_PROGRAMS = ["Xvfb", "dbus-daemon", "xdotool", "xwininfo", "wmctrl", "import", "compare", "convert"]

XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="icon-size" type="uint" value="16"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="{plugin}"/>
  </property>
</channel>
"""

TINT2 = """panel_items = :S
panel_position = bottom center horizontal
panel_size = 100% 30
panel_background_id = 1
background_color = #303030 100
border_width = 0
systray_padding = 4 2 4
systray_icon_size = 22
"""

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


class Session:
    """Xvfb, a private session bus, a window manager; everything in process groups of its own."""
    width, height = WIDTH, HEIGHT

    def __init__(self, out, host):
        self.out = out
        self.host = host
        self.start_common()
        self.start_xvfb()
        self.start_bus()
        self.spawn(["xfwm4", "--compositor=off"], "xfwm4")
        self.wait_for(lambda: "xfwm4" in self.run(["xwininfo", "-root", "-tree"]), 10)

    def start_common(self):
        self.work = tempfile.mkdtemp(prefix="kovra-desktop-")
        os.chmod(self.work, 0o700)
        self.groups = []
        self.env = dict(os.environ)
        for key in ("DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "QT_QPA_PLATFORM",
                    "SESSION_MANAGER", "XCTestConfigurationFilePath", "KOVRA_FORCE_VISIBLE", "KOVRA_OPEN"):
            self.env.pop(key, None)
        home = os.path.join(self.work, "home")
        os.makedirs(home)
        self.env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_DATA_HOME=os.path.join(home, ".local/share"),
                        XDG_RUNTIME_DIR=self.work, KOVRA_LOG="stderr", KOVRA_LOG_LEVEL="info", NO_AT_BRIDGE="1",
                        GTK_A11Y="none")
        for key in ("DISPLAY", "XAUTHORITY"):
            self.env.pop(key, None)

    def start_xvfb(self):
        display_file = os.path.join(self.work, "display")
        with open(display_file, "w") as f:
            self.spawn(["Xvfb", "-displayfd", str(f.fileno()), "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten",
                        "tcp", "-noreset"], "xvfb", pass_fds=(f.fileno(),))
        self.env["DISPLAY"] = ":" + self.wait_file(display_file)

    def start_bus(self):
        bus_file = os.path.join(self.work, "bus")
        with open(bus_file, "w") as f:
            self.spawn(["dbus-daemon", "--session", "--nofork", f"--print-address={f.fileno()}"], "bus",
                       pass_fds=(f.fileno(),))
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.wait_file(bus_file)

    def wait_file(self, path):
        for _ in range(100):
            if os.path.exists(path) and os.path.getsize(path) > 0:
                with open(path) as f:
                    return f.readline().strip()
            time.sleep(0.1)
        raise RuntimeError("no answer in " + path)

    def spawn(self, argv, name, env=None, pass_fds=()):
        log = open(os.path.join(self.work, name + ".log"), "ab")
        p = subprocess.Popen(argv, env=env or self.env, stdout=log, stderr=subprocess.STDOUT, start_new_session=True,
                             pass_fds=pass_fds)
        self.groups.append(p)
        return p

    def log(self, name):
        try:
            with open(os.path.join(self.work, name + ".log"), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def stop_group(self, p):
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(p.pid, sig)
            except ProcessLookupError:
                pass
            try:
                p.wait(timeout=3)
                return
            except subprocess.TimeoutExpired:
                continue

    def close(self):
        for p in reversed(self.groups):
            self.stop_group(p)
        shutil.rmtree(self.work, ignore_errors=True)

    def run(self, argv, check_status=False):
        r = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)
        if check_status and r.returncode != 0:
            raise RuntimeError(" ".join(argv) + ": " + r.stderr)
        return r.stdout

    def wait_for(self, predicate, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = predicate()
            if value:
                return value
            time.sleep(0.1)
        return predicate()

    def shot(self, step):
        path = os.path.join(self.out, f"{self.host}-{step}.png")
        self.run(["import", "-window", "root", path])
        return path

    def click(self, x, y, button=1):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])

    def activate(self, x, y):
        """What opens the item on this host: a left click."""
        self.click(x, y)

    def program_key(self, *keys):
        self.key(*keys)

    def close_window(self, w):
        self.run(["wmctrl", "-i", "-c", w[0]])

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "80", *keys])

    def windows(self, pid):
        """The program's top-level windows: (id, x, y, width, height, viewable)."""
        ids = self.run(["xdotool", "search", "--pid", str(pid)]).split()
        result = []
        for wid in ids:
            info = self.run(["xwininfo", "-id", wid])
            def field(name):
                m = re.search(name + r":\s+(-?\d+)", info)
                return int(m.group(1)) if m else 0
            result.append((wid, field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                           field("Height"), "IsViewable" in info))
        return result

    def panel_window(self, pid):
        for w in self.windows(pid):
            if w[5] and w[3] == PANEL_WIDTH and w[4] > 100:
                return w
        return None

    def main_window(self, pid):
        for w in self.windows(pid):
            if w[5] and w[3] >= 640 and w[4] >= 500:
                return w
        return None


GNOME_SYSTEM_BUS = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path={path}</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
</policy></busconfig>
"""

GNOME_INPUT = """
const Clutter = imports.gi.Clutter;
if (!global._kovraTestPointer) {
  const seat = Clutter.get_default_backend().get_default_seat();
  global._kovraTestPointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
  global._kovraTestKeys = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
}
global._kovraClick = (x, y, button, count) => {
  const p = global._kovraTestPointer;
  p.notify_absolute_motion(GLib.get_monotonic_time(), x, y);
  for (let i = 0; i < count; i++) {
    GLib.timeout_add(0, 1 + 120 * i, () => {
      p.notify_button(GLib.get_monotonic_time(), button, Clutter.ButtonState.PRESSED); return false; });
    GLib.timeout_add(0, 60 + 120 * i, () => {
      p.notify_button(GLib.get_monotonic_time(), button, Clutter.ButtonState.RELEASED); return false; });
  }
};
global._kovraKey = (name) => {
  const k = global._kovraTestKeys, v = Clutter['KEY_' + name];
  k.notify_keyval(GLib.get_monotonic_time(), v, Clutter.KeyState.PRESSED);
  k.notify_keyval(GLib.get_monotonic_time() + 1000, v, Clutter.KeyState.RELEASED);
};
'ok'
"""


class PlasmaSession(Session):
    """KDE Plasma's desktop shell and KWin on Xvfb, software rendering."""

    def __init__(self, out, host):
        self.out = out
        self.host = host
        self.start_common()
        self.start_xvfb()
        self.env.update(LIBGL_ALWAYS_SOFTWARE="1", XDG_CURRENT_DESKTOP="KDE", KDE_SESSION_VERSION="5",
                        KDE_FULL_SESSION="true")
        self.start_bus()
        self.spawn(["kwin_x11", "--replace"], "kwin")
        self.spawn(["plasmashell", "--no-respawn"], "plasmashell")
        ready = self.wait_for(lambda: "true" in self.run(
            ["gdbus", "call", "--session", "--dest", "org.kde.StatusNotifierWatcher", "--object-path",
             "/StatusNotifierWatcher", "--method", "org.freedesktop.DBus.Properties.Get",
             "org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered"]), 60)
        if not ready:
            raise RuntimeError("Plasma did not start: " + self.log("plasmashell")[-2000:])
        time.sleep(3)  # the panel draws its tray a moment after the host registers


class GnomeSession(Session):
    """GNOME Shell without a GPU (headless, one virtual monitor) with the AppIndicator extension, on a
    private session bus and a stand-in system bus. The program runs on the shell's XWayland."""
    width, height = 1280, 800

    def __init__(self, out, host):
        self.out = out
        self.host = host
        self.start_common()
        system_bus = os.path.join(self.work, "system_bus")
        conf = os.path.join(self.work, "system.conf")
        with open(conf, "w") as f:
            f.write(GNOME_SYSTEM_BUS.format(path=system_bus))
        self.spawn(["dbus-daemon", f"--config-file={conf}", "--nofork"], "system-bus")
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + system_bus
        self.wait_for(lambda: os.path.exists(system_bus), 10)
        keyfile = os.path.join(self.env["XDG_CONFIG_HOME"], "glib-2.0/settings/keyfile")
        os.makedirs(os.path.dirname(keyfile))
        with open(keyfile, "w") as f:
            f.write("[org/gnome/shell]\nenabled-extensions=['ubuntu-appindicators@ubuntu.com']\n"
                    "welcome-dialog-last-shown-version='999'\n")
        self.env["GSETTINGS_BACKEND"] = "keyfile"
        self.start_bus()
        self.spawn(["gnome-shell", "--headless", "--virtual-monitor", f"{self.width}x{self.height}", "--unsafe-mode"],
                   "gnome-shell")
        ready = self.wait_for(lambda: "org.kde.StatusNotifierWatcher" in self.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.ListNames"]), 30)
        if not ready:
            raise RuntimeError("GNOME Shell did not start: " + self.log("gnome-shell")[-2000:])
        self.env["WAYLAND_DISPLAY"] = "wayland-0"
        self.env["DISPLAY"] = self.eval("String(imports.gi.GLib.getenv('DISPLAY'))")
        self.env["XAUTHORITY"] = self.eval("String(imports.gi.GLib.getenv('XAUTHORITY'))")
        self.eval(GNOME_INPUT)
        self.eval("Main.overview.hide(); 'ok'")
        time.sleep(1)

    def eval(self, script):
        out = self.run(["gdbus", "call", "--session", "--dest", "org.gnome.Shell", "--object-path", "/org/gnome/Shell",
                        "--method", "org.gnome.Shell.Eval", script])
        m = re.match(r"\((true|false), '(.*)'\)\s*$", out.strip(), re.S)
        if not m or m.group(1) != "true":
            return None
        value = m.group(2)
        return value[1:-1] if value.startswith('"') and value.endswith('"') else value

    def shot(self, step):
        path = os.path.join(self.out, f"{self.host}-{step}.png")
        self.run(["gdbus", "call", "--session", "--dest", "org.gnome.Shell", "--object-path",
                  "/org/gnome/Shell/Screenshot", "--method", "org.gnome.Shell.Screenshot.Screenshot", "false", "false",
                  path])
        return path

    def click(self, x, y, button=1, count=1):
        self.eval(f"global._kovraClick({x}, {y}, {button}, {count}); 'ok'")
        time.sleep(0.1 + 0.12 * count)

    def activate(self, x, y):
        """The extension opens the item's own menu on a click and activates the item on a double click."""
        self.click(x, y, 1, 2)

    def key(self, *keys):
        """Keys for the shell's own menus."""
        for k in keys:
            self.eval(f"global._kovraKey('{k}'); 'ok'")
            time.sleep(0.08)

    def program_key(self, *keys):
        """Keys for the program's windows, which live on XWayland."""
        Session.key(self, *keys)

    def close_window(self, w):
        self.eval("global.get_window_actors().map(a => a.meta_window).filter(m => m.get_title() === 'Kovra' ||"
                  " m.get_title() === 'Ayarlar').forEach(m => m.delete(global.get_current_time())); 'ok'")

    def item_box(self):
        box = self.eval("let k = Object.keys(Main.panel.statusArea).find(n => n.startsWith('appindicator-'));"
                        "let a = k ? Main.panel.statusArea[k] : null; if (!a) 'none'; else {"
                        "let [x, y] = a.get_transformed_position(); let [w, h] = a.get_transformed_size();"
                        "[x, y, w, h].map(Math.round).join(' ') }")
        if not box or box == "none" or "NaN" in box:
            return None
        return tuple(int(v) for v in box.split())


def changed_box(before, after, region):
    """The bounding box (x, y, w, h) of the pixels that differ between two screenshots in region."""
    x0, y0, w, h = region
    r = subprocess.run(["convert", before, after, "-crop", f"{w}x{h}+{x0}+{y0}", "+repage", "-compose", "difference",
                        "-composite", "-threshold", "8%", "-format", "%@", "info:"], capture_output=True, text=True)
    m = re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", r.stdout.strip())
    if not m:
        return None
    bw, bh, bx, by = map(int, m.groups())
    return (x0 + bx, y0 + by, bw, bh) if bw > 1 and bh > 1 else None


def icon_box(shot, region):
    """The bounding box (x, y, w, h) of whatever stands out from the panel's background inside
    region: the panels are set up to hold nothing but the tray, so that is the program's icon."""
    x0, y0, w, h = region
    crop = f"{w}x{h}+{x0}+{y0}"
    bg = subprocess.run(["convert", shot, "-crop", crop, "+repage", "-format", "%[pixel:p{2,2}]", "info:"],
                        capture_output=True, text=True).stdout.strip()
    r = subprocess.run(["convert", shot, "-crop", crop, "+repage", "-bordercolor", bg, "-border", "1", "-fuzz", "12%",
                        "-format", "%@", "info:"], capture_output=True, text=True)
    m = re.match(r"(\d+)x(\d+)\+(-?\d+)\+(-?\d+)", r.stdout.strip())
    if not m:
        return None
    bw, bh, bx, by = map(int, m.groups())
    if bw <= 1 or bh <= 1 or bw >= w:
        return None
    return (x0 + bx - 1, y0 + by - 1, bw, bh)


class Kovra:
    def __init__(self, session, binary):
        self.session = session
        self.binary = binary
        self.proc = None

    def start(self):
        self.proc = self.session.spawn([self.binary], "kovra")
        return self.proc

    def alive(self):
        return self.proc is not None and self.proc.poll() is None


def start_panel(s, host):
    if host in ("xfce", "ayatana"):
        conf = os.path.join(s.env["XDG_CONFIG_HOME"], "xfce4/xfconf/xfce-perchannel-xml")
        os.makedirs(conf, exist_ok=True)
        with open(os.path.join(conf, "xfce4-panel.xml"), "w") as f:
            f.write(XFCE_PANEL.format(plugin="indicator" if host == "ayatana" else "systray"))
        if host == "ayatana":
            s.spawn([HOST_PROGRAMS["ayatana"][2]], "indicator-service")
        return s.spawn(["xfce4-panel", "--disable-wm-check"], "panel")
    if host == "trayer":
        return s.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "28",
                        "--SetDockType", "true", "--SetPartialStrut", "true", "--tint", "0x303030", "--transparent",
                        "true", "--alpha", "0"], "panel")
    if host == "tint2":
        path = os.path.join(s.work, "tint2rc")
        with open(path, "w") as f:
            f.write(TINT2)
        return s.spawn(["tint2", "-c", path], "panel")
    raise ValueError(host)


def panel_strip(host):
    """Rows inside the panel, clear of its edges."""
    return (0, HEIGHT - 27, WIDTH, 25) if host == "tint2" else (0, 2, WIDTH, 24)


def find_icon(s, host, step):
    """Waits for the program's icon to appear in the panel; returns its box on the screen."""
    if host == "plasma":
        # Plasma's panel holds more than the tray: the icon is what changed since the program started.
        def changed():
            box = changed_box(s.plasma_before, s.shot(step), (0, HEIGHT - 44, WIDTH - 200, 44))  # not the clock
            return box if box and 8 <= box[2] <= 48 else None
        return s.wait_for(changed, 15)
    if host == "gnome":
        box = s.wait_for(s.item_box, 15)
        s.shot(step)
        # The item is the icon followed by the label: aim at the icon.
        return (box[0], box[1], min(box[2], box[3]), box[3]) if box else None
    # Some panels grow while the icon is embedded: wait for a box of icon size that holds still.
    seen = []

    def settled():
        box = icon_box(s.shot(step), panel_strip(host))
        seen.append(box)
        return box if box and box[2] >= 8 and len(seen) >= 2 and seen[-2] == box else None
    return s.wait_for(settled, 15)


def run_host(binary, out, host):
    print(f"== {host}", flush=True)
    s = {"gnome": GnomeSession, "plasma": PlasmaSession}.get(host, Session)(out, host)
    try:
        kovra = Kovra(s, binary)
        if host == "plasma":
            s.plasma_before = s.shot("1-before-program")
        # At login the panel and the program start together, the panel often last.
        kovra.start()
        time.sleep(3)
        s.shot("1-before-panel")
        panel = start_panel(s, host) if host not in ("gnome", "plasma") else None
        icon = find_icon(s, host, "2-icon")
        if not check(icon is not None, f"{host}: the icon appears" + (" in a panel started 3 s after the program" if host not in ("gnome", "plasma") else "")):
            print(s.log("kovra")[-3000:])
            print(s.log("panel")[-2000:])
            return
        check(s.main_window(kovra.proc.pid) is None, f"{host}: no main window opened while the panel was starting")
        cx, cy = icon[0] + icon[2] // 2, icon[1] + icon[3] // 2
        print(f"     icon at {icon}", flush=True)

        if host == "ayatana":
            run_ayatana_checks(s, kovra, cx, cy)
        elif host == "gnome":
            run_click_checks(s, kovra, host, cx, cy)
            run_menu_checks(s, kovra, host, cx, cy)
            run_gnome_drop_check(s, kovra)
            return
        elif host == "plasma":
            run_click_checks(s, kovra, host, cx, cy)
            run_menu_checks(s, kovra, host, cx, cy)
            return
        else:
            run_click_checks(s, kovra, host, cx, cy)
            run_menu_checks(s, kovra, host, cx, cy)

        # A panel restart brings the icon back.
        if kovra.alive():
            s.stop_group(panel)
            time.sleep(1)
            s.shot("8-panel-gone")
            panel = start_panel(s, host)
            back = find_icon(s, host, "9-panel-back")
            check(back is not None and kovra.alive(), f"{host}: the icon comes back after a panel restart")
    finally:
        s.close()


def run_click_checks(s, kovra, host, cx, cy):
    pid = kovra.proc.pid
    s.activate(cx, cy)
    opened = s.wait_for(lambda: s.panel_window(pid), 5)
    s.shot("3-click")
    if not check(opened is not None, f"{host}: a left click opens the panel"):
        print(s.log("kovra")[-2000:])
        return
    time.sleep(2)
    still = s.panel_window(pid)
    s.shot("4-after-2s")
    check(still is not None, f"{host}: the panel is still open 2 s later")
    if still:
        _, x, y, w, h, _ = still
        check(x >= 0 and y >= 0 and x + w <= s.width and y + h <= s.height,
              f"{host}: the panel {w}x{h}+{x}+{y} lies wholly inside the {s.width}x{s.height} screen")
        dx = max(x - cx, 0, cx - (x + w))
        dy = max(y - cy, 0, cy - (y + h))
        check(dx <= 60 and dy <= 60, f"{host}: the panel opens next to the icon ({dx}, {dy} px away)")
    # A second click on the icon closes it.
    s.activate(cx, cy)
    closed = s.wait_for(lambda: s.panel_window(pid) is None, 3)
    s.shot("5-second-click")
    check(closed, f"{host}: a second click closes the panel")
    time.sleep(0.5)
    s.activate(cx, cy)
    reopened = s.wait_for(lambda: s.panel_window(pid), 5)
    check(reopened is not None, f"{host}: a third click opens it again")
    s.program_key("Escape")
    check(s.wait_for(lambda: s.panel_window(pid) is None, 3), f"{host}: Escape closes the panel")


def menu_choose(s, host, cx, cy, downs):
    s.click(cx, cy, button=3)
    time.sleep(1.0)
    shot = s.shot(f"6-menu-{downs}")
    s.key(*(["Down"] * downs), "Return")
    return shot


def close_window(s, w):
    s.close_window(w)


def run_menu_checks(s, kovra, host, cx, cy):
    pid = kovra.proc.pid
    menu_choose(s, host, cx, cy, 1)
    main = s.wait_for(lambda: s.main_window(pid), 5)
    s.shot("7-open-window")
    if check(main is not None, f"{host}: right click, \"Pencereyi aç\" opens the main window"):
        close_window(s, main)
        check(s.wait_for(lambda: s.main_window(pid) is None, 3) and kovra.alive(),
              f"{host}: closing the main window leaves the program in the tray")
    menu_choose(s, host, cx, cy, 2)
    settings = s.wait_for(lambda: [w for w in s.windows(pid) if w[5] and w[3] > 200 and w[3] != PANEL_WIDTH], 5)
    s.shot("7-settings")
    if check(bool(settings), f"{host}: right click, \"Ayarlar…\" opens the settings window"):
        close_window(s, settings[0])
    menu_choose(s, host, cx, cy, 3)
    check(s.wait_for(lambda: not kovra.alive(), 5), f"{host}: right click, \"Çık\" ends the program")
    if not kovra.alive():
        kovra.start()  # for the panel restart check
        time.sleep(2)


def run_gnome_drop_check(s, kovra):
    """The extension now and then drops an item (it destroys its indicator and says so on the bus);
    the program must register again."""
    key = s.eval("Object.keys(Main.panel.statusArea).find(n => n.startsWith('appindicator-'))")
    s.eval(f"Main.panel.statusArea['{key}']._indicator.destroy(); 'ok'")
    gone = s.wait_for(lambda: s.item_box() is None, 5)
    back = s.wait_for(s.item_box, 10)
    s.shot("8-dropped-and-back")
    check(gone and back is not None and kovra.alive(), "gnome: the item comes back after the extension drops it")


def run_ayatana_checks(s, kovra, cx, cy):
    pid = kovra.proc.pid
    reply = s.run(["dbus-send", "--session", "--print-reply", "--dest=org.ayatana.indicator.application",
                   "/org/ayatana/indicator/application/service", "org.ayatana.indicator.application.service.GetApplications"])
    strings = re.findall(r'string "([^"]*)"', reply)
    print("     GetApplications:", strings[:12], flush=True)
    names = [x for x in strings if x.startswith("kovra-")]
    paths = [x for x in strings if x.startswith("/") and os.path.isdir(x)]
    check(bool(names) and bool(paths) and os.path.exists(os.path.join(paths[0], names[0] + ".png")),
          "ayatana: the host gets an icon name it can load from the item's icon folder")
    check(any("RAM" in x for x in strings), "ayatana: the host gets the label text")
    # Ayatana hosts open the item's menu on a left click and send the middle click as a secondary
    # activation.
    s.click(cx, cy, button=1)
    time.sleep(1.0)
    s.shot("3-left-click-menu")
    s.key("Down", "Return")
    main = s.wait_for(lambda: s.main_window(pid), 5)
    if check(main is not None, "ayatana: the menu's \"Pencereyi aç\" opens the main window"):
        close_window(s, main)
        s.wait_for(lambda: s.main_window(pid) is None, 3)
    s.click(cx, cy, button=2)
    main = s.wait_for(lambda: s.main_window(pid), 5)
    s.shot("4-middle-click")
    if check(main is not None, "ayatana: a middle click opens the main window"):
        close_window(s, main)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    binary, out = os.path.abspath(sys.argv[1]), sys.argv[2]
    hosts = sys.argv[3:] or ["xfce", "trayer", "tint2", "ayatana", "gnome", "plasma"]
    os.makedirs(out, exist_ok=True)
    runnable = []
    for host in hosts:
        missing = [p for p in HOST_PROGRAMS[host] + COMMON_PROGRAMS if shutil.which(p) is None and not os.path.exists(p)]
        if missing:
            print(f"== {host}: skipped, missing {' '.join(missing)}")
        else:
            runnable.append(host)
    if not runnable:
        return 77
    for host in runnable:
        run_host(binary, out, host)
    print(f"{len(failures)} failed" if failures else "all passed", flush=True)
    for f in failures:
        print("  " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
