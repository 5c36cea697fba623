#!/usr/bin/env python3
"""Writes the language packs and the nine layout files of the Chinese, English and German
language folders.

The rectangles are the same in every language (the pictures are shared); only the
labels differ. Field 0 of each entry names the element for the maintainers and tells
the picture generator how to draw it ("style:id"). It also writes src/presentation/LayoutElements.h: the
number of every element the program refers to, named in the element's table below.
    python3 tools/skinlayouts/make_layouts.py [output folder]
"""
import os
import sys

LANGS = {"0_INI_CN": 0, "1_INI_EN": 1, "4_INI_DE": 2}

# label id -> (Chinese, English, German). Labels never contain commas.
T = {
    "product": ("ZEL GMouse", "ZEL GMouse", "ZEL GMouse"),
    "lang": ("语言", "Language", "Sprache"),
    "tab_main": ("按键", "Buttons", "Tasten"),
    "tab_adv": ("高级", "Advanced", "Erweitert"),
    "tab_mac": ("宏", "Macros", "Makros"),
    "tab_led": ("灯光", "Lighting", "Beleuchtung"),
    "p1": ("配置 1", "Profile 1", "Profil 1"),
    "p2": ("配置 2", "Profile 2", "Profil 2"),
    "p3": ("配置 3", "Profile 3", "Profil 3"),
    "p4": ("配置 4", "Profile 4", "Profil 4"),
    "import": ("导入", "Import", "Import"),
    "export": ("导出", "Export", "Export"),
    "reset": ("重置", "Reset", "Rücksetzen"),
    "apply": ("应用", "Apply", "Übernehmen"),
    # The help element's text is the document it opens: the user guide, found in the
    # language's own folder (the program falls back to the English one).
    "guide": ("guide/index.html", "guide/index.html", "guide/index.html"),
    "wheel0": ("滚轮正向", "Wheel normal", "Rad normal"),
    "wheel1": ("滚轮反向", "Wheel reversed", "Rad umgekehrt"),
    "sound": ("声控灯光", "Sound lighting", "Soundlicht"),
    "dpi1": ("DPI 1", "DPI 1", "DPI 1"),
    "dpi2": ("DPI 2", "DPI 2", "DPI 2"),
    "dpi3": ("DPI 3", "DPI 3", "DPI 3"),
    "dpi4": ("DPI 4", "DPI 4", "DPI 4"),
    "dpi5": ("DPI 5", "DPI 5", "DPI 5"),
    "dpi6": ("DPI 6", "DPI 6", "DPI 6"),
    "dpilevels": ("DPI 档位", "DPI levels", "DPI-Stufen"),
    "dpiquick": ("DPI 档位开关", "DPI levels on/off", "DPI-Stufen an/aus"),
    "dpistep": ("当前档位 DPI", "DPI of the current level", "DPI der aktuellen Stufe"),
    "on": ("开", "On", "An"),
    "ptr": ("指针速度", "Pointer speed", "Zeigergeschwindigkeit"),
    "wheelspeed": ("滚轮速度", "Wheel lines", "Radzeilen"),
    "fire": ("连发间隔 (ms)", "Rapid fire (ms)", "Dauerfeuer (ms)"),
    "poll": ("回报率", "Polling rate", "Abfragerate"),
    "hz1000": ("1000 Hz", "1000 Hz", "1000 Hz"),
    "hz500": ("500 Hz", "500 Hz", "500 Hz"),
    "hz250": ("250 Hz", "250 Hz", "250 Hz"),
    "hz125": ("125 Hz", "125 Hz", "125 Hz"),
    "macros": ("宏列表", "Macros", "Makros"),
    "steps": ("步骤", "Steps", "Schritte"),
    "lights": ("灯光步骤", "Lighting step", "Lichtschritt"),
    "insert": ("插入", "Insert", "Einfügen"),
    "mode2": ("按住循环", "While held", "Solange gedrückt"),
    "mode1": ("按下开关", "Toggle", "Umschalten"),
    "mode0": ("循环次数", "Repeat count", "Wiederholungen"),
    "repeat": ("次数", "Times", "Anzahl"),
    "guns": ("压枪预设", "Weapon presets", "Waffenprofile"),
    "soft": ("软件宏", "Software macros", "Software-Makros"),
    "machint": ("在列表上单击右键可编辑", "Right-click a list to edit it",
                "Rechtsklick auf eine Liste zum Bearbeiten"),
    "effects": ("灯效", "Effects", "Effekte"),
    "altmode": ("DPI 指示", "DPI indicator", "DPI-Anzeige"),
    "ledtitle": ("灯光设置", "Lighting", "Beleuchtung"),
    "ledhint": ("应用后生效", "Changes reach the mouse with Apply",
                "Änderungen gelangen mit Übernehmen zur Maus"),
    "alt1": ("此模式下灯光显示当前 DPI 档位的颜色", "In this mode the lights show the colour",
             "In diesem Modus zeigen die Lichter die Farbe"),
    "alt2": ("", "of the current DPI level", "der aktuellen DPI-Stufe"),
    "alt3": ("切换 DPI 档位时颜色随之改变", "Switching the DPI level changes the colour",
             "Ein Wechsel der DPI-Stufe wechselt die Farbe"),
    "alt4": ("在高级页中设定各档位颜色", "Set the colours on the Advanced page",
             "Die Farben stellen Sie unter Erweitert ein"),
    "alt5": ("点击“灯效”返回灯效模式", "Choose Effects to go back", "Mit Effekte geht es zurück"),
    "effect": ("灯效", "Effect", "Effekt"),
    "colours": ("颜色", "Colours", "Farben"),
    "custom": ("自定义颜色", "Own colours", "Eigene Farben"),
    "speed": ("速度", "Speed", "Tempo"),
    "bright": ("亮度", "Brightness", "Helligkeit"),
    "direction": ("方向", "Direction", "Richtung"),
    "sym": ("对称", "Mirror", "Spiegeln"),
    "dir0": ("向左", "Left", "Links"),
    "dir1": ("向右", "Right", "Rechts"),
    "dir2": ("向外", "Outward", "Nach außen"),
    "dir3": ("向内", "Inward", "Nach innen"),
    "react": ("按键反应", "Button reaction", "Tastenreaktion"),
    "wavehint": ("波浪可使用全部四个方向", "Wave uses all four directions",
                 "Welle nutzt alle vier Richtungen"),
    "keytitle": ("请按下一个按键", "Press a key", "Drücken Sie eine Taste"),
    "ok": ("确定", "OK", "OK"),
    "cancel": ("取消", "Cancel", "Abbrechen"),
    "clear": ("清除", "Clear", "Löschen"),
    "combotitle": ("组合键", "Key combination", "Tastenkombination"),
    "combohint": ("选择修饰键后按下一个按键", "Choose modifiers then press a key",
                  "Zusatztasten wählen und eine Taste drücken"),
    "modscaption": ("修饰键", "Modifiers", "Zusatztasten"),
    "keycaption": ("按键", "Key", "Taste"),
    "ctrl": ("Ctrl", "Ctrl", "Strg"),
    "shift": ("Shift", "Shift", "Umschalt"),
    "alt": ("Alt", "Alt", "Alt"),
    "win": ("Win", "Win", "Win"),
    "guntitle": ("压枪预设", "Weapon presets", "Waffenprofile"),
    "gunrepeat": ("循环次数", "Repeat count", "Wiederholungen"),
    "gunstrength": ("下压力度 (1-99)", "Pull strength (1-99)", "Zugkraft (1-99)"),
    "guninterval": ("射击间隔 (ms)", "Fire interval (ms)", "Schussabstand (ms)"),
    "gunhold": ("按住连发", "While held", "Solange gedrückt"),
    "save": ("保存", "Save", "Speichern"),
    "soundtitle": ("声控灯光", "Sound lighting", "Soundlicht"),
    "bars": ("音柱", "Bars", "Balken"),
    "pulse": ("脉冲", "Pulse", "Puls"),
    "tempo": ("节奏", "Tempo", "Takt"),
    "follow": ("跟随声音", "Follow sound", "Sound folgen"),
    "notice": ("提示", "Notice", "Hinweis"),
    "b1": ("1", "1", "1"), "b2": ("2", "2", "2"), "b3": ("3", "3", "3"), "b4": ("4", "4", "4"),
    "b5": ("5", "5", "5"), "b6": ("6", "6", "6"), "b7": ("7", "7", "7"), "b8": ("8", "8", "8"),
}

# Button function names (FUN_STRING), codes 0..47, matching what the download makes of
# each code; 30000 is the disabled button. Codes the menus never offer stay empty.
FUN = {
    1: ("左键", "Left click", "Linksklick"),
    2: ("右键", "Right click", "Rechtsklick"),
    3: ("中键", "Middle click", "Mittelklick"),
    4: ("后退", "Back", "Zurück"),
    5: ("前进", "Forward", "Vorwärts"),
    6: ("DPI 循环", "DPI cycle", "DPI-Zyklus"),
    7: ("特殊功能", "Special functions", "Sonderfunktionen"),
    8: ("多媒体", "Multimedia", "Multimedia"),
    9: ("宏", "Macro", "Makro"),
    10: ("组合键", "Key combination", "Tastenkombination"),
    11: ("配置切换", "Profile switch", "Profilwechsel"),
    12: ("连发左键", "Rapid fire", "Dauerfeuer"),
    13: ("滚轮向上", "Wheel up", "Rad hoch"),
    14: ("滚轮向下", "Wheel down", "Rad runter"),
    15: ("灯光开关", "Lights on/off", "Licht an/aus"),
    16: ("DPI 增加", "DPI up", "DPI hoch"),
    17: ("DPI 减少", "DPI down", "DPI runter"),
    18: ("模式切换", "Mode switch", "Moduswechsel"),
    19: ("配置循环", "Profile cycle", "Profil-Zyklus"),
    20: ("下一配置", "Next profile", "Nächstes Profil"),
    21: ("上一配置", "Previous profile", "Voriges Profil"),
    22: ("配置 1", "Profile 1", "Profil 1"),
    23: ("主页", "Home", "Startseite"),
    24: ("媒体设置", "Media settings", "Medien-Einstellungen"),
    25: ("邮件", "Email", "E-Mail"),
    26: ("音量加", "Volume up", "Lauter"),
    27: ("音量减", "Volume down", "Leiser"),
    28: ("上一曲", "Previous track", "Voriger Titel"),
    29: ("下一曲", "Next track", "Nächster Titel"),
    30: ("静音", "Mute", "Stumm"),
    31: ("播放/暂停", "Play/Pause", "Wiedergabe/Pause"),
    32: ("计算器", "Calculator", "Rechner"),
    33: ("组合键", "Key combination", "Tastenkombination"),
    41: ("狙击 DPI", "Sniper DPI", "Sniper-DPI"),
}
FUN_EXTRA = {30000: ("禁用", "Disabled", "Deaktiviert")}


def e(style, x, y, w, h, label=None, name=None):
    """One element. `name` is the element's name in the program (LayoutElements.h); elements
    that share a name form a run of consecutive numbers."""
    return (style, x, y, w, h, label, name)


def frame():
    d = {}
    d[0] = e("icon:min", 920, 12, 30, 30, name="Minimise")
    d[1] = e("icon:close", 956, 12, 30, 30, name="Close")
    d[2] = e("icon:tray", 884, 12, 30, 30, name="ToTray")
    d[3] = e("btnAccent:apply", 846, 640, 136, 42, "apply", name="Apply")
    d[4] = e("btn:lang", 738, 14, 100, 28, None, name="Language")
    d[5] = e("label:product", 20, 14, 180, 28, "product")
    # One tab per page, in page order.
    for i, k in enumerate(["tab_main", "tab_adv", "tab_mac", "tab_led"]):
        d[6 + i] = e("tab:" + k, 262 + i * 108, 8, 104, 40, k, name="Tab")
    for i in range(4):
        d[10 + i] = e("tile:profile", 20 + (i % 2) * 116, 70 + (i // 2) * 140, 108, 128,
                      "p%d" % (i + 1), name="Profile")
    for i, k in enumerate(["import", "export", "reset"]):
        d[14 + i] = e("tile:" + k, 20 + i * 78, 372, 70, 100, k, name=k.capitalize())
    d[17] = e("icon:gear", 704, 14, 28, 28, name="LanguageMenu")
    d[19] = e("icon:help", 848, 14, 28, 28, "guide", name="Help")
    return d


MOUSE_ZONES = [
    # (zone style, x, y, w, h) on the drawn mouse; label rows alternate left and right
    ("zone:left", 520, 96, 88, 150),
    ("zone:right", 642, 96, 88, 150),
    ("zone:middle", 610, 120, 30, 58),
    ("zone:side1", 500, 290, 22, 58),
    ("zone:side2", 500, 356, 22, 58),
    ("zone:dpi", 610, 190, 30, 34),
    ("zone:rear", 586, 472, 78, 40),
    ("zone:side3", 728, 300, 22, 70),
]


def main_page(lang):
    d = frame()
    rows_left = [120, 290, 356, 472]
    rows_right = [120, 150, 190, 300]
    order_left = [0, 3, 4, 6]
    # The middle button first: its zone is reached from above the others, so its line
    # crosses none of the lines below it.
    order_right = [2, 1, 5, 7]
    for b, (style, x, y, w, h) in enumerate(MOUSE_ZONES):
        d[35 + b] = e(style, x, y, w, h, name="ButtonZone")
    for row, b in enumerate(order_left):
        d[20 + b] = e("btn:key", 270, [110, 250, 330, 450][row], 196, 36, name="ButtonLabel")
    for row, b in enumerate(order_right):
        d[20 + b] = e("btn:key", 784, [110, 190, 270, 350][row], 196, 36, name="ButtonLabel")
    d[31] = e("seg:left", 270, 540, 110, 32, "wheel0", name="WheelNormal")
    d[32] = e("seg:right", 380, 540, 110, 32, "wheel1", name="WheelReversed")
    d[46] = e("icon:sound", 784, 540, 40, 40, "sound", name="SoundLighting")
    # DPI level toggles of levels 1 to 3 only: elements 50 and up act as empty elements on
    # this page, so the toggles of levels 4 to 6 live on the Advanced page alone.
    for i in range(3):
        d[47 + i] = e("toggle:small", 270 + i * 74, 596, 64, 28, "dpi%d" % (i + 1),
                      name="DpiToggle")
    d[57] = e("label:dpiquick", 500, 600, 200, 24, "dpiquick")
    return d


def advanced_page(lang):
    d = {}
    d[46] = e("label:dpilevels", 270, 64, 300, 26, "dpilevels")
    for i in range(6):
        y = 98 + i * 40
        d[60 + i] = e("row:dpi", 270, y, 96, 32, "dpi%d" % (i + 1), name="DpiRow")
        d[70 + i] = e("value:dpi", 372, y, 104, 32, name="DpiValue")
        d[77 + i] = e("swatch:dpi", 486, y + 5, 44, 22, name="DpiColour")
        d[47 + i] = e("toggle:dpi", 542, y + 4, 60, 24, name="DpiToggle")
    d[67] = e("label:dpistep", 270, 352, 303, 22, "dpistep")
    d[66] = e("sliderDpi:dpi", 270, 380, 303, 40, name="DpiSlider")
    d[0] = e("label:ptr", 640, 64, 260, 26, "ptr")
    d[1] = e("slider:ptr", 640, 102, 260, 14, name="PointerSpeedSlider")
    d[2] = e("value:ptr", 912, 96, 64, 26, name="PointerSpeedValue")
    d[17] = e("label:wheel", 640, 140, 260, 26, "wheelspeed")
    d[18] = e("slider:wheel", 640, 178, 260, 14, name="WheelSpeedSlider")
    d[19] = e("value:wheel", 912, 172, 64, 26, name="WheelSpeedValue")
    d[30] = e("label:fire", 640, 216, 260, 26, "fire")
    d[31] = e("slider:fire", 640, 254, 260, 14, name="FireTimeSlider")
    d[32] = e("value:fire", 912, 248, 64, 26, name="FireTimeValue")
    d[33] = e("label:poll", 640, 300, 260, 26, "poll")
    for i, k in enumerate(["hz1000", "hz500", "hz250", "hz125"]):
        d[34 + i] = e("btn:poll", 640 + i * 86, 334, 80, 32, k, name="PollingRate")
        d[38 + i] = e("bar:poll", 640 + i * 86, 370, 80, 4, name="PollingBar")
    return d


def mac_page(lang):
    d = {}
    d[10] = e("label:macros", 270, 64, 250, 26, "macros", name="MacrosCaption")
    d[11] = e("label:steps", 540, 64, 260, 26, "steps", name="StepsCaption")
    d[4] = e("btnRec:record", 820, 96, 162, 42, name="Record")
    d[5] = e("btn:insert", 820, 146, 162, 34, "insert", name="Insert")
    d[6] = e("radio:mode2", 820, 192, 162, 30, "mode2", name="RepeatMode")
    d[7] = e("radio:mode1", 820, 226, 162, 30, "mode1", name="RepeatMode")
    d[8] = e("radio:mode0", 820, 260, 162, 30, "mode0", name="RepeatMode")
    d[14] = e("label:repeat", 826, 298, 70, 26, "repeat", name="RepeatCaption")
    d[13] = e("btn:guns", 820, 338, 162, 34, "guns", name="WeaponPresets")
    d[15] = e("check:soft", 820, 380, 162, 30, "soft", name="SoftwareMacros")
    d[12] = e("label:lights", 820, 420, 162, 24, "lights", name="LightsCaption")
    d[16] = e("label:hint", 270, 592, 530, 24, "machint", name="Hint")
    return d


MAC_EDIT = {0: e("edit:repeat", 902, 298, 80, 26)}
MAC_DISPLAY = {
    1: e("list:macros", 270, 96, 250, 486),
    2: e("list:steps", 540, 96, 260, 486),
    3: e("list:lights", 820, 448, 162, 134),
}


def color_page(lang):
    d = {}
    d[17] = e("tab:effects", 270, 60, 150, 34, "effects", name="EffectsTab")
    d[19] = e("tab:altmode", 426, 60, 150, 34, "altmode", name="AltModeTab")
    d[18] = e("label:ledtitle", 640, 64, 340, 26, "ledtitle", name="Title")
    d[16] = e("label:effect", 270, 112, 120, 32, "effect")
    d[35] = e("dropdown:effect", 400, 112, 300, 32, name="Effect")
    d[15] = e("label:colours", 270, 162, 120, 28, "colours", name="ColoursCaption")
    for k in range(7):
        d[k] = e("swatch:led", 400 + k * 62, 162, 50, 28, name="Colour")
        d[7 + k] = e("toggle:small", 400 + k * 62, 196, 50, 18, name="ColourToggle")
    d[14] = e("state:custom", 840, 162, 130, 28, "custom", name="OwnColours")
    d[39] = e("label:speed", 270, 236, 120, 26, "speed", name="SpeedCaption")
    d[41] = e("sliderLed:speed", 400, 246, 300, 14, name="SpeedSlider")
    d[38] = e("label:bright", 270, 280, 120, 26, "bright", name="BrightnessCaption")
    d[40] = e("sliderLed:bright", 400, 290, 300, 14, name="BrightnessSlider")
    d[37] = e("label:direction", 270, 336, 120, 26, "direction")
    d[45] = e("icon:sym", 400, 328, 56, 40, name="Mirror")
    for i, style in enumerate(["icon:arrowL", "icon:arrowR", "icon:arrowOut", "icon:arrowIn"]):
        d[47 + i] = e(style, 480 + i * 84, 328, 56, 40, name="Direction")
        d[31 + i] = e("label:dir", 468 + i * 84, 370, 80, 20, "dir%d" % i,
                       name="DirectionCaption")
    d[30] = e("label:sym", 394, 370, 68, 20, "sym", name="MirrorCaption")
    d[36] = e("label:react", 270, 398, 120, 24, "react")
    for b in range(8):
        # The whole width of the page, so a reaction's name fits beside a small arrow.
        d[51 + b] = e("toggle:react", 270 + b * 88, 426, 86, 22, "b%d" % (b + 1),
                      name="ReactionToggle")
        d[61 + b] = e("dropdown:react", 270 + b * 88, 452, 86, 26, name="Reaction")
    d[98] = e("label:wave", 716, 112, 264, 32, "wavehint", name="WaveNote")
    d[20] = e("label:hint", 270, 604, 560, 24, "ledhint", name="Hint")
    for i in range(5):
        d[21 + i] = e("label:alt", 290, 480 + i * 24, 660, 22, "alt%d" % (i + 1),
                      name="AltModeText")
    # Covers of the controls an effect does not use (not hit-tested).
    d[71] = e("cover:react", 266, 448, 710, 32, name="CoverReaction")
    d[72] = e("cover:bright", 266, 276, 710, 34, name="CoverBrightness")
    d[73] = e("cover:speed", 266, 232, 710, 34, name="CoverSpeed")
    d[74] = e("cover:direction", 266, 322, 710, 72, name="CoverDirection")
    d[75] = e("cover:colours", 266, 156, 570, 64, name="CoverColours")
    d[78] = e("panel:altmode", 270, 104, 712, 496, name="AltModePanel")
    return d


def warning(lang):
    return {
        0: e("btnCaption:ok", 140, 146, 120, 36, name="Ok"),
        1: e("iconCaption:close", 360, 10, 30, 30, name="Close"),
        2: e("text:message", 24, 48, 352, 88, name="Message"),
        3: e("label:notice", 24, 12, 320, 26, "notice", name="Notice"),
        4: e("text:second", 24, 108, 352, 30, name="SecondLine"),
    }


def keyset(lang):
    return {
        0: e("display:key", 30, 62, 300, 54, name="Key"),
        1: e("btn:ok", 56, 142, 116, 36, "ok", name="Ok"),
        2: e("btn:cancel", 188, 142, 116, 36, "cancel", name="Cancel"),
        3: e("label:title", 20, 14, 320, 30, "keytitle"),
    }


def shortcut(lang):
    d = {
        0: e("display:mods", 40, 68, 400, 36, name="Modifiers"),
        1: e("display:key", 40, 128, 400, 36, name="MainKey"),
        2: e("btn:ok", 40, 272, 124, 36, "ok", name="Ok"),
        3: e("icon:close", 440, 10, 30, 30, name="Close"),
        4: e("btn:clear", 178, 272, 124, 36, "clear", name="Clear"),
        5: e("btn:cancel", 316, 272, 124, 36, "cancel", name="Cancel"),
        10: e("label:title", 40, 14, 400, 30, "combotitle"),
        11: e("label:hint", 40, 172, 400, 24, "combohint"),
        12: e("label:caption", 40, 48, 400, 20, "modscaption"),
        13: e("label:caption", 40, 108, 400, 20, "keycaption"),
    }
    for i, k in enumerate(["ctrl", "shift", "alt", "win"]):
        d[6 + i] = e("toggle:mod", 40 + i * 102, 206, 94, 36, k, name="Modifier")
    return d


def gun(lang):
    return {
        0: e("icon:close", 520, 10, 30, 30, name="Close"),
        1: e("btn:cancel", 420, 346, 116, 36, "cancel", name="Cancel"),
        2: e("btnAccent:save", 292, 346, 116, 36, "save", name="Save"),
        3: e("icon:back", 10, 10, 30, 30, name="Back"),
        4: e("pic:weapon", 24, 60, 320, 160, name="Picture"),
        # The weapon list opens 160 pixels wide below the name: the name's field and the
        # arrow beside it are as wide together.
        5: e("btn:weapon", 24, 230, 124, 32, name="WeaponName"),
        6: e("btnIcon:down", 152, 230, 32, 32, name="WeaponList"),
        8: e("radio:repeat", 24, 286, 156, 34, "gunrepeat", name="RepeatMode"),
        9: e("radio:hold", 188, 286, 156, 34, "gunhold", name="HoldMode"),
        10: e("label:repeat", 372, 60, 164, 24, "gunrepeat"),
        11: e("label:strength", 372, 124, 164, 24, "gunstrength"),
        12: e("label:interval", 372, 188, 164, 24, "guninterval"),
        13: e("label:title", 50, 14, 400, 30, "guntitle"),
    }


GUN_EDIT = {
    0: e("edit:repeat", 372, 88, 164, 28),
    1: e("edit:strength", 372, 152, 164, 28),
    2: e("edit:interval", 372, 216, 164, 28),
}


def sound(lang):
    d = {
        0: e("label:title", 20, 12, 300, 30, "soundtitle"),
        2: e("tileMode:bars", 40, 60, 64, 64, "bars", name="Mode"),
        3: e("tileMode:pulse", 130, 60, 64, 64, "pulse", name="Mode"),
        4: e("tileMode:tempo", 220, 60, 64, 64, "tempo", name="Mode"),
        9: e("switch:follow", 360, 76, 120, 36, "follow"),
        10: e("icon:close", 480, 10, 30, 30),
    }
    for k in range(36):
        d[13 + k] = e("cell:bar", 40 + k * 12, 170, 9, 110, name="Bar")
    return d


def entry_text(style, x, y, w, h, label, name, li):
    text = T[label][li] if label else ""
    assert "," not in text, text
    return "%s,%d,%d,%d,%d,%s," % (style, x, y, w, h, text)


def write_layout(path, sections):
    with open(path, "w", encoding="utf-8", newline="\r\n") as f:
        f.write("; generated by tools/skinlayouts/make_layouts.py\n")
        for name, lines in sections:
            f.write("[%s]\n" % name)
            for key, value in lines:
                f.write("%s=%s\n" % (key, value))
            f.write("\n")


def entries(d, li):
    return [(str(k), entry_text(*d[k], li)) for k in sorted(d)]


# Language packs: table -> {entry: (Chinese, English, German)}.
PACK = {
    "TipText": {
        1: ("未找到鼠标：", "Mouse not found: ", "Maus nicht gefunden: "),
        2: ("首次连接：将为鼠标写入出厂配置", "First connection: the mouse gets its factory profiles",
            "Erste Verbindung: die Maus bekommt ihre Werksprofile"),
        3: ("正在写入出厂配置，请稍候", "Writing the factory profiles: please wait",
            "Die Werksprofile werden geschrieben: bitte warten"),
        4: ("完成：出厂配置已写入鼠标", "Done: the factory profiles are on the mouse",
            "Fertig: die Werksprofile sind auf der Maus"),
        5: ("缺少设置文件或皮肤文件", "A settings or layout file is missing",
            "Eine Einstellungs- oder Layoutdatei fehlt"),
        6: ("操作失败：文件或设备不可用", "The operation failed: a file or device is unavailable",
            "Vorgang fehlgeschlagen: Datei oder Gerät nicht verfügbar"),
        7: ("至少需要保留一个左键", "One button must keep the left click",
            "Eine Taste muss den Linksklick behalten"),
        8: ("没有宏列表", "There is no macro list", "Es gibt keine Makroliste"),
        9: ("此配置文件属于其他型号", "This profile file belongs to another model",
            "Diese Profildatei gehört zu einem anderen Modell"),
        20: ("正在录制宏：请先停止录制", "A macro is being recorded: stop the recording first",
             "Ein Makro wird aufgenommen: erst die Aufnahme beenden"),
        21: ("已达到上限", "A limit has been reached", "Eine Grenze ist erreicht"),
        23: ("已存在同名宏组", "A group of that name exists", "Eine Gruppe dieses Namens gibt es schon"),
        24: ("请先选择一行", "Select a row first", "Bitte zuerst eine Zeile wählen"),
        27: ("此宏组已加密", "This group is sealed", "Diese Gruppe ist versiegelt"),
        29: ("鼠标的宏存储已满", "The macro memory of the mouse is full",
             "Der Makrospeicher der Maus ist voll"),
        30: ("最多十二个宏组", "There are twelve groups already", "Es gibt schon zwölf Gruppen"),
        31: ("DPI 指示模式下不能使用声控灯光", "Sound lighting is not available in DPI indicator mode",
             "Soundlicht ist in der DPI-Anzeige nicht verfügbar"),
    },
    "UniqueName_MouseKey": {c: FUN[c] for c in range(1, 12)},
    "UniqueName_DevMac": {
        1: ("新建宏组", "New group", "Neue Gruppe"),
        2: ("新建宏", "New macro", "Neues Makro"),
        # Rows 1..8 of the macro list's menu, in the order of its commands.
        3: ("删除宏组", "Delete group", "Gruppe löschen"),
        4: ("恢复宏组", "Reset groups", "Gruppen zurücksetzen"),
        5: ("重命名", "Rename", "Umbenennen"),
        6: ("导入宏组", "Import group", "Gruppe importieren"),
        7: ("导出宏组", "Export group", "Gruppe exportieren"),
        8: ("加密导出", "Sealed export", "Versiegelt exportieren"),
        10: ("鼠标按键 (之前)", "Mouse button before", "Maustaste davor"),
        11: ("鼠标按键 (之后)", "Mouse button after", "Maustaste danach"),
        12: ("指针移动", "Pointer move", "Zeigerbewegung"),
        13: ("DPI 切换", "DPI change", "DPI-Wechsel"),
        14: ("灯光步骤", "Lighting step", "Lichtschritt"),
        15: ("暂停", "Pause", "Pause"),
        16: ("修改", "Modify", "Ändern"),
        17: ("删除", "Delete", "Löschen"),
        18: ("导出宏", "Export macro", "Makro exportieren"),
        19: ("导入宏", "Import macro", "Makro importieren"),
        20: ("左键", "Left button", "Linke Taste"),
        21: ("中键", "Middle button", "Mittlere Taste"),
        22: ("右键", "Right button", "Rechte Taste"),
        32: ("重命名", "Rename", "Umbenennen"),
        34: ("显示窗口", "Show window", "Fenster zeigen"),
        35: ("退出", "Exit", "Beenden"),
        36: ("宏组", "Group", "Gruppe"),
        37: ("宏", "Macro", "Makro"),
        39: ("开始录制", "Record", "Aufnehmen"),
        40: ("停止录制", "Stop", "Stopp"),
    },
    "UniqueName_LED": {
        1: ("幻彩", "Spectrum", "Spektrum"),
        2: ("循环", "Colour cycle", "Farbwechsel"),
        3: ("常亮", "Steady", "Dauerlicht"),
        4: ("波浪", "Wave", "Welle"),
        5: ("流光", "Flow", "Fluss"),
        6: ("涟漪", "Ripple", "Kreise"),
        7: ("呼吸", "Breathing", "Atmen"),
        8: ("跑马灯", "Marquee", "Lauflicht"),
        9: ("霓虹", "Neon", "Neon"),
        10: ("DPI 颜色", "DPI colour", "DPI-Farbe"),
        11: ("扫描", "Scan", "Scan"),
        12: ("闪烁", "Flash", "Blitz"),
        13: ("按键反应", "Reactive", "Reaktiv"),
        14: ("关闭", "Off", "Aus"),
        15: ("单色", "Single colour", "Einfarbig"),
    },
    "UniqueName_Other": {
        1: ("未设置", "Not set", "Nicht belegt"),
        6: ("模式:", "Mode:", "Modus:"),
        7: ("亮度:", "Level:", "Stufe:"),
        8: ("(无亮度)", "(no level)", "(keine Stufe)"),
        9: ("时间:", "Time:", "Zeit:"),
        11: ("DPI 还原", "DPI return", "DPI zurück"),
        12: ("ms", "ms", "ms"),
        13: ("灯光 ", "Lighting ", "Licht "),
        14: ("(错误)", "(error)", "(Fehler)"),
        17: ("暂停", "Pause", "Pause"),
        20: ("中文", "中文", "中文"),
        21: ("English", "English", "English"),
        24: ("Deutsch", "Deutsch", "Deutsch"),
    },
    "UniqueName_ShortCut": {
        1: ("请按下一个按键", "Press a key", "Eine Taste drücken"),
        2: ("未选择修饰键", "No modifier chosen", "Keine Zusatztaste gewählt"),
    },
}


def write_pack(path, li):
    sections = []
    for name, table in PACK.items():
        lines = []
        for entry in sorted(table):
            text = table[entry][li]
            assert "," not in text, text
            lines.append((str(entry), "%d,%s," % (entry, text)))
        sections.append((name, lines))
    write_layout(path, sections)


# The last element each window hit-tests (elements past it are drawn only), by layout
# file. The main layout is hit-tested further on the buttons page than beside the others.
LAST_HIT = {
    "skin_main.ini": 74,
    "skin_advance.ini": 137,
    "skin_mac.ini": 19,
    "skin_color.ini": 70,
    "LBWarning.ini": 1,
    "skin_keyset.ini": 3,
    "skin_shortcut.ini": 13,
    "skin_gun.ini": 13,
    "skin_sound.ini": 11,
}

# Further numbers of a layout that are not one element: (name, value, comment).
EXTRA = {
    "skin_main.ini": [
        ("kFrameLast", 19, "the frame shown on every page: elements 0 .. kFrameLast"),
        ("kLastHitBesidePage", 20, "hit-test range of this layout while another page shows"),
        ("kPictureZoneFirst", 50,
         "from here up to 48 + the button count: the picture's own button zones, which do\n"
         "/// nothing and show no hover"),
        ("kMacroLightTagX", 378, "where the lighting-step tag of a hovered button is drawn"),
        ("kMacroLightTagY", 535, ""),
    ],
}

# Namespace of each layout file in LayoutElements.h.
NAMESPACES = {
    "skin_main.ini": "skin_main",
    "skin_advance.ini": "skin_advance",
    "skin_mac.ini": "skin_mac",
    "skin_color.ini": "skin_color",
    "LBWarning.ini": "lb_warning",
    "skin_keyset.ini": "skin_keyset",
    "skin_shortcut.ini": "skin_shortcut",
    "skin_gun.ini": "skin_gun",
    "skin_sound.ini": "skin_sound",
}


def layout_files(li):
    fun = [(str(c), FUN[c][li]) for c in sorted(FUN)]
    fun += [(str(c), FUN_EXTRA[c][li]) for c in sorted(FUN_EXTRA)]
    return {
        "skin_main.ini": [("BUTTONPOS", main_page(li)), ("FUN_STRING", fun)],
        "skin_advance.ini": [("BUTTONPOS", advanced_page(li))],
        "skin_mac.ini": [("BUTTONPOS", mac_page(li)), ("EDIT", MAC_EDIT),
                         ("MACRODISPLAY", MAC_DISPLAY)],
        "skin_color.ini": [("BUTTONPOS", color_page(li))],
        "LBWarning.ini": [("BUTTONPOS", warning(li))],
        "skin_keyset.ini": [("BUTTONPOS", keyset(li))],
        "skin_shortcut.ini": [("BUTTONPOS", shortcut(li))],
        "skin_gun.ini": [("BUTTONPOS", gun(li)), ("EDIT", GUN_EDIT)],
        "skin_sound.ini": [("BUTTONPOS", sound(li))],
    }


def section_lines(name, content, li):
    if name == "FUN_STRING":
        return content
    return entries(content, li)


def element_constants(d):
    """(name, value, comment) of the named elements of one BUTTONPOS table; a name shared
    by several elements is a run of consecutive numbers, written as first and count."""
    numbers = {}
    for k in sorted(d):
        name = d[k][6]
        if name:
            numbers.setdefault(name, []).append(k)
    out = []
    for name, ks in sorted(numbers.items(), key=lambda item: item[1][0]):
        style = d[ks[0]][0]
        if len(ks) == 1:
            out.append(("k" + name, ks[0], style))
        else:
            assert ks == list(range(ks[0], ks[0] + len(ks))), (name, ks)
            out.append(("k" + name + "First", ks[0], "%s, %d in a row" % (style, len(ks))))
            out.append(("k" + name + "Count", len(ks), ""))
    return out


def header_text():
    lines = [
        "// Generated by tools/skinlayouts/make_layouts.py from the same tables as the layout",
        "// files; do not edit. The number of each element that the program refers to, by",
        "// layout file; runs of elements as first and count.",
        "#pragma once",
        "",
        "namespace zel::layout {",
    ]
    files = layout_files(1)
    for file_name, sections in files.items():
        d = sections[0][1]
        lines.append("")
        lines.append("/// %s" % file_name)
        lines.append("namespace %s {" % NAMESPACES[file_name])
        constants = element_constants(d)
        constants.append(("kLastHit", LAST_HIT[file_name], "the last element hit-tested"))
        constants.append(("kLastElement", max(d), "the highest element of the file"))
        constants += EXTRA.get(file_name, [])
        for name, value, comment in constants:
            if comment:
                lines.append("/// " + comment)
            lines.append("inline constexpr int %s = %d;" % (name, value))
        lines.append("} // namespace %s" % NAMESPACES[file_name])
    lines.append("")
    lines.append("} // namespace zel::layout")
    return "\n".join(lines) + "\n"


def main(argv):
    """Writes into the repository, or below the folder given as the only argument (with the
    repository's layout: data/skins/..., src/presentation/LayoutElements.h)."""
    if len(argv) > 1:
        base = argv[1]
    else:
        base = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    root = os.path.join(base, "data", "skins")
    for folder, li in LANGS.items():
        out = os.path.join(root, folder)
        os.makedirs(out, exist_ok=True)
        write_pack(os.path.join(out, "LanguageText.ini"), li)
        for name, sections in layout_files(li).items():
            write_layout(os.path.join(out, name),
                         [(s, section_lines(s, c, li)) for s, c in sections])
    header = os.path.join(base, "src", "presentation", "LayoutElements.h")
    os.makedirs(os.path.dirname(header), exist_ok=True)
    with open(header, "w", encoding="utf-8", newline="\n") as f:
        f.write(header_text())


if __name__ == "__main__":
    main(sys.argv)
