#!/usr/bin/env python3
"""Reads the Qt Designer files of the windows (ui/*.ui) and writes what the programs take from them: the controls of
every window as typed identifiers with their design geometry, which presenters, both front ends and the tests name
controls by (a misspelt name does not build), and the layout table of the Win32 windows: every window's caption, client
size and font size, and every control's kind, geometry, text, items, visibility and place in the tab order. The .ui
files are the one source of the layouts; CMake runs this at build time in every build.

    GenerateLayouts.py --controls OUTPUT.h FILE.ui...  writes the controls of every window
    GenerateLayouts.py OUTPUT.cpp FILE.ui...           writes the Win32 layout table
    GenerateLayouts.py --size FILE.ui            prints the window's client width and height
    GenerateLayouts.py --centre FILE.ui CONTROL  prints where the middle of a control is in the client area
"""
import sys
import xml.etree.ElementTree as ET

# The Qt classes a window may use, and what each is in Win32. A class not listed fails the build rather than
# leaving a control out of the Windows program.
KINDS = {
    "QPushButton": "PushButton",
    "QLineEdit": "Edit",
    "QLabel": "Label",
    "QComboBox": "ComboBox",
    "QPlainTextEdit": "Memo",
    "QGroupBox": "GroupBox",
    "QRadioButton": "RadioButton",
    "QCheckBox": "CheckBox",
}


class LayoutError(Exception):
    pass


def prop(widget, name):
    for p in widget.findall("property"):
        if p.get("name") == name:
            return p
    return None


def text_of(widget, name):
    p = prop(widget, name)
    if p is None:
        return None
    s = p.find("string")
    return "" if s is None or s.text is None else s.text


def bool_of(widget, name, default):
    p = prop(widget, name)
    if p is None:
        return default
    return p.find("bool").text == "true"


def geometry(widget):
    p = prop(widget, "geometry")
    if p is None:
        raise LayoutError(f"{widget.get('name')} has no geometry")
    rect = p.find("rect")
    return [int(rect.find(k).text) for k in ("x", "y", "width", "height")]


def point_size(widget):
    p = prop(widget, "font")
    if p is None:
        return 0
    size = p.find("font/pointsize")
    return 0 if size is None else int(size.text)


def alignment(widget):
    p = prop(widget, "alignment")
    if p is None:
        return "Left"
    value = p.find("set").text
    if "AlignHCenter" in value or "AlignCenter" in value:
        return "Center"
    if "AlignRight" in value:
        return "Right"
    return "Left"


def read_window(path):
    root = ET.parse(path).getroot()
    window = root.find("widget")
    name = window.get("name")
    x, y, width, height = geometry(window)
    caption = text_of(window, "windowTitle") or ""
    tab_order = [t.text for t in root.findall("tabstops/tabstop")]
    controls = []

    def add(widget, offset, group):
        cls = widget.get("class")
        if cls not in KINDS:
            raise LayoutError(f"{path}: {widget.get('name')}: no Win32 control for {cls}")
        gx, gy, gw, gh = geometry(widget)
        control = {
            "name": widget.get("name"),
            "kind": KINDS[cls],
            "rect": [gx + offset[0], gy + offset[1], gw, gh],
            "text": text_of(widget, "title") if cls == "QGroupBox" else (text_of(widget, "text") or ""),
            "pointSize": point_size(widget),
            "visible": bool_of(widget, "visible", True),
            "align": alignment(widget),
            "readOnly": bool_of(widget, "readOnly", False),
            "editable": bool_of(widget, "editable", False),
            "wrap": not (prop(widget, "lineWrapMode") is not None
                         and prop(widget, "lineWrapMode").find("enum").text.endswith("NoWrap")),
            "checked": bool_of(widget, "checked", False),
            "group": group or "",
            "items": [i.find("property/string").text or "" for i in widget.findall("item")],
        }
        controls.append(control)
        # Radio buttons are the group box's children in Qt; in Win32 they are the window's, placed by the box.
        for child in widget.findall("widget"):
            add(child, (gx + offset[0], gy + offset[1]), control["name"])

    for widget in window.findall("widget"):
        add(widget, (0, 0), None)
    for i, ctl in enumerate(controls):
        ctl["order"] = i
    names = {c["name"] for c in controls}
    for t in tab_order:
        if t not in names:
            raise LayoutError(f"{path}: tab stop {t} names no control")
    for ctl in controls:
        ctl["tab"] = tab_order.index(ctl["name"]) if ctl["name"] in tab_order else -1

    # Creation order is Win32's tab order and its z-order from the top: the tab stops in their order, then the rest
    # as the file has them, and last the group boxes, which lie beneath their items.
    def creation_key(c):
        if c["tab"] >= 0:
            return (0, c["tab"])
        if c["kind"] == "GroupBox":
            return (2, c["order"])
        return (1, c["order"])

    controls.sort(key=creation_key)
    for ctl in controls:
        if ctl["group"]:
            siblings = [c["name"] for c in controls if c["group"] == ctl["group"]]
            ctl["item"] = siblings.index(ctl["name"])
        else:
            ctl["item"] = -1
    return {
        "name": name,
        "caption": caption,
        "size": (width, height),
        "pointSize": point_size(window),
        "controls": controls,
    }


def literal(s):
    out = []
    for ch in s:
        if ch in '\\"':
            out.append("\\" + ch)
        elif ord(ch) < 0x20:
            out.append("\\%03o" % ord(ch))
        else:
            out.append(ch)
    return 'L"' + "".join(out) + '"'


def cpp_bool(b):
    return "true" if b else "false"


def write_table(output, windows):
    lines = [
        "// Generated by win32/GenerateLayouts.py from the .ui files of ui/. Edit those, not this.",
        '#include "win32/Layout.h"',
        "",
        "namespace plok::win32 {",
        "",
        "namespace {",
        "",
    ]
    for w in windows:
        for c in w["controls"]:
            if c["items"]:
                items = ", ".join(literal(i) for i in c["items"])
                lines.append(f"constexpr const wchar_t* k{w['name']}{c['name']}Items[] = {{{items}}};")
        lines.append(f"constexpr ControlLayout k{w['name']}Controls[] = {{")
        for c in w["controls"]:
            items = f"k{w['name']}{c['name']}Items" if c["items"] else "{}"
            lines.append(
                f'    {{form::{w["name"]}::{c["name"]}, ControlKind::{c["kind"]}, {literal(c["text"])}, '
                f'{c["pointSize"]}, {cpp_bool(c["visible"])}, {c["tab"]}, Align::{c["align"]}, '
                f'{cpp_bool(c["readOnly"])}, {cpp_bool(c["editable"])}, {cpp_bool(c["wrap"])}, '
                f'{cpp_bool(c["checked"])}, "{c["group"]}", {c["item"]}, {items}}},')
        lines.append("};")
        lines.append("")
    lines.append("} // namespace")
    lines.append("")
    for w in windows:
        width, height = w["size"]
        lines.append(
            f'const WindowLayout k{w["name"]}Layout = {{"{w["name"]}", {literal(w["caption"])}, {width}, {height}, '
            f'{w["pointSize"]}, k{w["name"]}Controls}};')
    lines.append("")
    for w in windows:
        lines.append("template<>")
        lines.append(f'const WindowLayout& LayoutOf<form::{w["name"]}>()')
        lines.append("{")
        lines.append(f'    return k{w["name"]}Layout;')
        lines.append("}")
        lines.append("")
    lines.append("} // namespace plok::win32")
    write_if_changed(output, lines)


def write_if_changed(output, lines):
    """Leaves an unchanged file alone, so that nothing that includes it is built again."""
    text = "\n".join(lines) + "\n"
    try:
        with open(output, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(output, "w", encoding="utf-8") as f:
        f.write(text)


def write_controls(output, windows):
    lines = [
        "// Generated by ui/GenerateLayouts.py from the .ui files of ui/. Edit those, not this.",
        "#pragma once",
        "",
        '#include "present/ControlId.h"',
        "",
        "#include <array>",
        "",
        "namespace plok::form {",
        "",
        "struct Generated",
        "{",
        "    static constexpr ControlId Make(const char* window, const char* name, DesignRect rect)",
        "    {",
        "        return ControlId(window, name, rect);",
        "    }",
        "};",
        "",
    ]
    for w in windows:
        width, height = w["size"]
        controls = sorted(w["controls"], key=lambda c: c["order"])
        lines.append(f"/// The window of ui/{w['name']}.ui and its controls.")
        lines.append(f"struct {w['name']}")
        lines.append("{")
        lines.append(f'    static constexpr char kName[] = "{w["name"]}";')
        lines.append(f"    static constexpr DesignSize kSize {{{width}, {height}}};")
        for c in controls:
            x, y, cw, ch = c["rect"]
            lines.append(f'    static constexpr ControlId {c["name"]} = Generated::Make(kName, "{c["name"]}", '
                         f'{{{x}, {y}, {cw}, {ch}}});')
        names = ", ".join(c["name"] for c in controls)
        lines.append(f"    static constexpr std::array<ControlId, {len(controls)}> kControls {{{names}}};")
        lines.append("};")
        lines.append("")
    lines.append("} // namespace plok::form")
    write_if_changed(output, lines)


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "--size":
            width, height = read_window(argv[2])["size"]
            print(width, height)
            return 0
        if len(argv) == 4 and argv[1] == "--centre":
            for c in read_window(argv[2])["controls"]:
                if c["name"] == argv[3]:
                    x, y, width, height = c["rect"]
                    print(x + width // 2, y + height // 2)
                    return 0
            raise LayoutError(f"{argv[2]}: no control {argv[3]}")
        if len(argv) >= 4 and argv[1] == "--controls":
            write_controls(argv[2], [read_window(p) for p in argv[3:]])
            return 0
        if len(argv) < 3:
            print(__doc__, file=sys.stderr)
            return 2
        write_table(argv[1], [read_window(p) for p in argv[2:]])
        return 0
    except (LayoutError, ET.ParseError, AttributeError, ValueError) as e:
        print(f"GenerateLayouts.py: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
