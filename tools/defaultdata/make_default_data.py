#!/usr/bin/env python3
"""Writes the factory data shipped in DefaultData/: the default profile of each device kind, the
built-in effect names, the light library and its custom effect files.

Run from anywhere: python3 tools/defaultdata/make_default_data.py [output folder]
The output is committed; run again after changing a table here."""

import colorsys
import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Factory assignment of each keyboard key position (type, modifier bits, HID usage); 126-169 are empty.
KEYBOARD_DEFAULTS_HEX = """
20 00 29 · 20 00 3A · 20 00 3B · 20 00 3C · 20 00 3D · 20 00 3E · 20 00 3F · 20 00 40 · 20 00 41 · 20 00 42
20 00 43 · 20 00 44 · 20 00 45 · 20 00 46 · 20 00 47 · 20 00 48 · A0 1B 00 · A0 24 00 · 20 00 00 · 20 00 00
20 00 00 · 20 00 35 · 20 00 1E · 20 00 1F · 20 00 20 · 20 00 21 · 20 00 22 · 20 00 23 · 20 00 24 · 20 00 25
20 00 26 · 20 00 27 · 20 00 2D · 20 00 2E · 20 00 2A · 20 00 49 · 20 00 4A · 20 00 4B · 20 00 53 · 20 00 54
20 00 55 · 20 00 56 · 20 00 2B · 20 00 14 · 20 00 1A · 20 00 08 · 20 00 15 · 20 00 17 · 20 00 1C · 20 00 18
20 00 0C · 20 00 12 · 20 00 13 · 20 00 2F · 20 00 30 · 20 00 31 · 20 00 4C · 20 00 4D · 20 00 4E · 20 00 5F
20 00 60 · 20 00 61 · 20 00 32 · 20 00 39 · 20 00 04 · 20 00 16 · 20 00 07 · 20 00 09 · 20 00 0A · 20 00 0B
20 00 0D · 20 00 0E · 20 00 0F · 20 00 33 · 20 00 34 · 20 00 28 · 20 00 5C · 20 00 5D · 20 00 5E · 20 00 8A
20 00 8B · 20 00 90 · 20 00 91 · 20 00 88 · 20 02 00 · 20 00 1D · 20 00 1B · 20 00 06 · 20 00 19 · 20 00 05
20 00 11 · 20 00 10 · 20 00 36 · 20 00 37 · 20 00 38 · 20 20 00 · 20 00 52 · 20 00 59 · 20 00 5A · 20 00 5B
20 00 87 · 20 00 89 · 20 00 64 · 20 00 85 · 20 00 00 · 20 01 00 · 20 08 00 · 20 04 00 · 20 00 2C · 20 40 00
A0 01 00 · 20 00 65 · 20 10 00 · 20 00 50 · 20 00 51 · 20 00 4F · 20 00 62 · 20 00 63 · 20 00 58 · 20 00 57
D0 A2 01 · D0 A2 02 · D0 A2 03 · D0 A2 04 · D0 A2 05 · 20 80 00
"""
KEY_POSITIONS = 170

# Mouse buttons: left, right, middle, back, forward (type 0x10, button bit); DPI up, down, cycle
# (type 0x13); play/pause, volume up, volume down (type 0x30, consumer usage low byte first).
MOUSE_DEFAULTS = [
    (0x10, 0x01, 0x00), (0x10, 0x02, 0x00), (0x10, 0x04, 0x00), (0x10, 0x08, 0x00), (0x10, 0x10, 0x00),
    (0x13, 0x01, 0x00), (0x13, 0x02, 0x00), (0x13, 0x03, 0x00),
    (0x30, 0xCD, 0x00), (0x30, 0xE9, 0x00), (0x30, 0xEA, 0x00),
]

# Built-in effects by device model index (mouse, keyboard, mouse pad, headset): name and visibility.
# The device effect code of mode i is i: the firmware of our devices numbers its effects like the host.
KEYBOARD_EFFECTS = [
    ("Custom Sequence", True), ("Wave", True), ("Rainbow Wave", True), ("Spiral Wave", True),
    ("Spectrum Cycle", True), ("Breathing", True), ("Static", True), ("Spread", False),
    ("Ripple Fade", True), ("Ripple", True), ("Rain", True), ("Colour Keys", True),
    ("Row Wave", True), ("Ripple Pulse", True), ("Ripple Sweep", True), ("Twinkle", True),
    ("Dual Ripple", True), ("Level Colour", True), ("Rings", True), ("Custom Sequence 2", False),
    ("Custom Colours", True), ("Off", True), ("Slow Twinkle", True), ("Blink", True),
    ("Pattern", True), ("Spread 2", False), ("Four-Colour Breathing", True), ("Four-Colour Blink", True),
    ("Sweep", True), ("Music", True), ("Audio Colour", True),
]
MOUSE_EFFECTS = [
    ("Wave", True), ("Spectrum Cycle", True), ("Breathing", True), ("Static", True), ("Blink", True),
    ("Reactive", True), ("Ripple", True), ("Four-Colour Breathing", True), ("Four-Colour Blink", True),
    ("Off", True),
]
LED_STRIP_EFFECTS = [
    ("Wave", True), ("Spectrum Cycle", True), ("Breathing", True), ("Static", True), ("Blink", True),
    ("Custom Sequence", True), ("Reactive", True), ("Paired Glow", True), ("Off", True),
]
AREA_EFFECTS = [
    ["Logo", "Scroll Wheel", "Side Strip"],
    ["Full Keyboard", "WASD Keys", "Arrow Keys", "Function Keys", "Number Pad"],
    ["Edge Strip", "Corner Logo"],
    ["Ear Cups", "Microphone Tip"],
]

# Headset equaliser presets 1-12 (slot 0 is unused and flat).
EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5], [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0], [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0] * 10, [7, 14, -13, -6, -1, 8, 13, 7, 2, 6], [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13], [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0], [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]

# Custom effects of the light library: name and steps (mode, brightness 0-4, speed 0-4, direction,
# colourful, colour, duration in ms). Step modes: 0 breathing, 1 static, 2 blink, 4 moving colours,
# 5 spectrum.
CUSTOM_EFFECTS = [
    ("Sunrise", [(0, 4, 2, 0, 0, (255, 80, 0), 3000), (1, 4, 2, 0, 0, (255, 180, 40), 3000)]),
    ("Ocean", [(4, 4, 2, 0, 0, (0, 90, 255), 4000), (0, 3, 1, 0, 0, (0, 200, 200), 3000)]),
    ("Forest", [(0, 4, 1, 0, 0, (20, 200, 40), 4000), (1, 3, 2, 0, 0, (90, 255, 60), 2000)]),
    ("Fire", [(2, 4, 3, 0, 0, (255, 40, 0), 1500), (0, 4, 4, 0, 0, (255, 120, 0), 1500)]),
    ("Ice", [(1, 4, 2, 0, 0, (120, 220, 255), 2500), (0, 4, 2, 0, 0, (255, 255, 255), 2500)]),
    ("Neon", [(4, 4, 3, 0, 1, (255, 0, 255), 3000), (5, 4, 3, 0, 1, (0, 255, 255), 3000)]),
    ("Police", [(2, 4, 4, 0, 0, (255, 0, 0), 800), (2, 4, 4, 0, 0, (0, 0, 255), 800)]),
    ("Candy", [(0, 4, 3, 0, 0, (255, 100, 180), 2000), (0, 4, 3, 0, 0, (160, 80, 255), 2000)]),
    ("Aurora", [(4, 4, 1, 1, 1, (0, 255, 120), 5000), (5, 3, 1, 0, 1, (80, 0, 255), 5000)]),
    ("Lava", [(0, 4, 1, 0, 0, (255, 20, 0), 3000), (4, 4, 1, 0, 0, (255, 90, 0), 3000)]),
    ("Storm", [(1, 2, 2, 0, 0, (40, 40, 120), 2500), (2, 4, 4, 0, 0, (255, 255, 255), 400)]),
    ("Sunset", [(0, 4, 2, 0, 0, (255, 60, 60), 3000), (0, 4, 2, 0, 0, (160, 40, 200), 3000)]),
]
LIGHT_LIBRARY_MODELS = 4


def parse_keyboard_defaults():
    triples = []
    for item in KEYBOARD_DEFAULTS_HEX.replace("\n", " · ").split("·"):
        item = item.strip()
        if item:
            triples.append(tuple(int(b, 16) for b in item.split()))
    triples += [(0x20, 0, 0)] * (KEY_POSITIONS - len(triples))
    assert len(triples) == KEY_POSITIONS
    return triples


def packed(triple):
    return triple[0] * 65536 + triple[1] * 256 + triple[2]


def key_list(triples):
    return [{"Assignment": packed(t), "DefaultAssignment": packed(t)} for t in triples]


def light_info(select_item, red, green, blue, multicolor=1):
    return {"SelectItem": select_item, "Light": 4, "Speed": 2, "Fx": 0, "MultiColor": multicolor,
            "Red": red, "Green": green, "Blue": blue, "ZZCCLedMode": 0, "CustomGroup": 0, "OldLedmode": 0}


def audio_light_info():
    return {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 40, "FgColorR": 0, "FgColorG": 160,
            "FgColorB": 255, "7ColorFlags": 1, "ColorTypeFlags": 1}


def effect_settings(effects):
    return [{"LEDREGMode": code, "LEDBrightness": 4, "LEDSpeed": 2, "LEDDirection": 0, "LEDMultiColor": 1,
             "red": 255, "green": 0, "blue": 0} for code in range(len(effects))]


def rgb(hue):
    r, g, b = colorsys.hsv_to_rgb(hue, 1.0, 1.0)
    return int(r * 255), int(g * 255), int(b * 255)


def custom_colour_groups(triples):
    white = [{"Red": 255, "Green": 255, "Blue": 255, "Alpha": 255} for _ in range(KEY_POSITIONS)]
    # Gaming: W, A, S, D and the arrow keys red, everything else dim blue.
    highlight = {0x1A, 0x04, 0x16, 0x07, 0x4F, 0x50, 0x51, 0x52}
    gaming = [{"Red": 255, "Green": 0, "Blue": 0, "Alpha": 255} if t[0] == 0x20 and t[1] == 0 and t[2] in highlight
              else {"Red": 0, "Green": 40, "Blue": 255, "Alpha": 160} for t in triples]
    rainbow = []
    for position in range(KEY_POSITIONS):
        r, g, b = rgb((position % 21) / 21.0)
        rainbow.append({"Red": r, "Green": g, "Blue": b, "Alpha": 255})
    return [white, gaming, rainbow]


def keyboard_profile():
    triples = parse_keyboard_defaults()
    return {"Device": [{
        "LightInfo": light_info(1, 255, 0, 0),
        "AudioLightInfo": audio_light_info(),
        "LightList": effect_settings(KEYBOARD_EFFECTS),
        "KeyList": key_list(triples),
        "SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 0, "WFlag": 0,
                         "WinFlag": 0},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0, "LightColorInfo": custom_colour_groups(triples)},
    }]}


# Five DPI stages as slider steps for a sensor of 50 DPI per step from 100 DPI: 400, 800, 1600, 3200
# and 6400 DPI, each with its own indicator colour.
DPI_STAGES = [(6, (255, 0, 0)), (14, (0, 255, 0)), (30, (0, 0, 255)), (62, (255, 255, 0)),
              (126, (255, 0, 255))]


def mouse_profile():
    stages = [{"StageActive": 1, "StageXY": 0, "StageDPIX": step, "StageDPIY": step, "StageColorR": c[0],
               "StageColorG": c[1], "StageColorB": c[2]} for step, c in DPI_STAGES]
    return {"Device": [{
        "LightInfo": light_info(1, 255, 0, 0),
        "AudioLightInfo": audio_light_info(),
        "LightList": effect_settings(MOUSE_EFFECTS),
        "KeyList": key_list(MOUSE_DEFAULTS),
        "DPIStages": {"StageActive": 1, "StageDPIs": stages},
        "SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1, "ScorllPage": 0,
                         "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 3},
        "CorrectInfo": [
            {"CorrectPixThresh": 0, "CorrectMinSq": 0, "CorrectSelect": 1, "CorrectName": "Off"},
            {"CorrectPixThresh": 4, "CorrectMinSq": 8, "CorrectSelect": 0, "CorrectName": "Straight Lines"},
            {"CorrectPixThresh": 8, "CorrectMinSq": 16, "CorrectSelect": 0, "CorrectName": "Strong"},
        ],
    }]}


def mouse_pad_profile():
    # No light list: its entries would paint over the selected effect LED by LED.
    return {"Device": [{
        "LightInfo": light_info(0, 0, 160, 255),
        "AudioLightInfo": audio_light_info(),
        "LightList": [],
    }]}


def headset_profile():
    return {"Device": [{
        "LightInfo": light_info(1, 0, 160, 255),
        "AudioLightInfo": audio_light_info(),
        "LightList": [],
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 0, "EqType": 0, "CustomEqSeletIndex": -1,
                            "MicInSelect": 1, "MicInValue": 80, "MicMoniterSelect": 0, "MicMoniterValue": 50},
        "EQHzValueInfo": [[{"value": v} for v in bands] for bands in [[0] * 10] + EQ_PRESETS],
        "CustomEQNameInfo": [],
        "CustomEQHzValueInfo": [],
    }]}


def default_light():
    tables = [MOUSE_EFFECTS, KEYBOARD_EFFECTS, LED_STRIP_EFFECTS, LED_STRIP_EFFECTS]
    return {
        "DefaultLightName": [[{"LightName": name, "visible": visible, "value": code}
                              for code, (name, visible) in enumerate(table)] for table in tables],
        "AreaLightName": [[{"LightName": name} for name in names] for names in AREA_EFFECTS],
    }


def effect_guid(index):
    return "2025_01_01_00_00_00_%03d" % (index + 1)


def light_library():
    effects = [{"LightName": name, "Guid": effect_guid(i)} for i, (name, _) in enumerate(CUSTOM_EFFECTS)]
    return {"LightInfo": [effects for _ in range(LIGHT_LIBRARY_MODELS)]}


def effect_file(steps):
    return {"LEDEffectList": [{"LEDREGMode": m, "LEDBrightness": br, "LEDSpeed": sp, "LEDDirection": d,
                               "LEDMultiColor": mc, "red": c[0], "green": c[1], "blue": c[2], "Time": t,
                               "Cyle": 1} for m, br, sp, d, mc, c, t in steps]}


def write(folder, name, document):
    # The layout of the system's own writer: three-space indents, one line end after the document.
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as out:
        out.write(json.dumps(document, indent=3, ensure_ascii=False))
        out.write("\n")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "DefaultData")
    os.makedirs(folder, exist_ok=True)
    write(folder, "keyboard.Json", keyboard_profile())
    write(folder, "mouse.Json", mouse_profile())
    write(folder, "MousePad.Json", mouse_pad_profile())
    write(folder, "HD.Json", headset_profile())
    write(folder, "default_light.json", default_light())
    write(folder, "zentor_light.config", light_library())
    for i, (_, steps) in enumerate(CUSTOM_EFFECTS):
        write(folder, effect_guid(i) + ".light", effect_file(steps))


if __name__ == "__main__":
    main()
