#!/usr/bin/python3
"""Reads the running program's accessibility tree over the accessibility bus and checks that the
dashboard's cards, labels and painted views are there by name. Exit status 0 when all are found.
Run by scripts/a11y_check.sh, which starts the program under a private X server and session bus."""

import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_app(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and (app.get_name() or "").lower() == name:
                return app
        time.sleep(0.2)
    return None


def walk(node, out, depth=0):
    if node is None or depth > 40:
        return
    try:
        out.append((node.get_role_name(), node.get_name() or "", node.get_description() or ""))
        for i in range(node.get_child_count()):
            walk(node.get_child_at_index(i), out, depth + 1)
    except gi.repository.GLib.Error:
        pass


def main():
    app = find_app("kovra", 20)
    if app is None:
        print("a11y: no application named kovra on the accessibility bus", file=sys.stderr)
        return 1
    # Readings arrive within a few seconds; the tree is read again until everything is there.
    wanted = [
        ("push button", "Bellek", "Ayrıntıları açar"),
        ("push button", "Ağ", "Ayrıntıları açar"),
        ("push button", "Disk", "Ayrıntıları açar"),
        ("push button", "İşlemci", "Ayrıntıları açar"),
        (None, "Son bir dakikanın grafiği", None),
        (None, "Bellek dağılımı", None),
        ("label", "En çok kullananlar", None),
        ("label", "Doluluk", None),
        ("label", "kullanımda", None),
    ]
    missing = wanted
    nodes = []
    for _ in range(30):
        nodes = []
        walk(app, nodes)
        missing = [
            w for w in wanted
            if not any((w[0] is None or role == w[0]) and name == w[1] and (w[2] is None or desc == w[2])
                       for role, name, desc in nodes)
        ]
        if not missing:
            break
        time.sleep(0.5)
    for role, name, desc in nodes:
        if name:
            print(f"{role}\t{name}\t{desc}")
    if missing:
        for w in missing:
            print(f"a11y: missing {w}", file=sys.stderr)
        return 1
    print(f"a11y: all {len(wanted)} dashboard elements found among {len(nodes)} nodes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
