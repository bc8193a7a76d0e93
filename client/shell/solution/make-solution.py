#!/usr/bin/env python3
"""Writes the default interface solution: Language/English.ini and the
Language/English folder with its skin ini files and pictures.

    make-solution.py <program folder>

Every picture is a version-3 BMP (40-byte header, 24 bits) drawn here from
one palette, so the whole look changes in one place."""
import os
import struct
import sys

# The palette: dark slate surfaces, one blue accent, light text; green for
# live devices and red for recording in the toolkit's state pictures.
BACK = (30, 34, 42)
PANEL = (44, 50, 60)
PANEL_HI = (58, 66, 78)
EDGE = (18, 20, 26)
ACCENT = (0, 122, 204)
ACCENT_HI = (28, 151, 234)
ACCENT_LO = (0, 90, 160)
DISABLED = (80, 86, 96)
TEXT = (230, 234, 240)
LIVE = (64, 184, 104)
RECORD = (222, 62, 52)


def rgb_text(c):
    return "%d, %d, %d" % c


def bmp(path, w, h, pixel):
    """pixel(x, y) -> (r, g, b); y = 0 is the top row."""
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(head + info + data)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def strip(top, bottom, border=EDGE):
    """A vertical gradient with a one-pixel border."""
    def pixel_for(w, h):
        def pixel(x, y):
            if x == 0 or y == 0 or x == w - 1 or y == h - 1:
                return border
            return mix(top, bottom, y / max(1, h - 1))
        return pixel
    return pixel_for


STATES = {
    "up": strip(PANEL_HI, PANEL),
    "over": strip(ACCENT_HI, ACCENT),
    "down": strip(ACCENT, ACCENT_LO),
    "disable": strip(DISABLED, mix(DISABLED, EDGE, 0.4)),
    "fill": strip(PANEL, PANEL),
}


def state_set(folder, prefix, w, h, states=("up", "over", "down", "disable")):
    names = {}
    for s in states:
        name = "%s_%s.bmp" % (prefix, s)
        bmp(os.path.join(folder, name), w, h, STATES[s](w, h))
        names[s] = name
    return names


def image_keys(names):
    keys = {"up": "BackImage_Up", "over": "BackImage_Over", "down": "BackImage_Down",
            "disable": "BackImage_Disable", "fill": "BackImage_Fill", "background": "BackImage_Background"}
    return "".join("%s=%s\r\n" % (keys[s], n) for s, n in names.items())


def write(path, text):
    with open(path, "w", newline="") as f:
        f.write(text)


def logo(w, h):
    # A dark field with an accent lens: a ring and a bar under it.
    cx, cy, r = w // 2, h // 2 - 10, min(w, h) // 4

    def pixel(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if (r - 6) ** 2 <= d2 <= r ** 2:
            return ACCENT
        if d2 < (r // 3) ** 2:
            return ACCENT_HI
        if h - 40 <= y < h - 34 and w // 4 <= x < 3 * w // 4:
            return TEXT
        return mix(BACK, PANEL, y / h)
    return pixel


def status_bar_keys(pictures):
    """[SystemStatusBar]: the bar's place in the main window, its pictures
    (each as large as the bar), the kind button, two rows of 32 channel
    lamps and six command buttons, all in main-window coordinates."""
    left, top = 4, 730
    keys = ["InMainWnd_Region=%d, %d, %d, %d" % (left, top, left + 1016, top + 30),
            "LabelTextColor=%s" % rgb_text(TEXT), "LabelBackColor=%s" % rgb_text(EDGE),
            "Preview_Position=%d, %d, %d, %d" % (left + 4, top + 3, left + 103, top + 27)]
    rows = (top + 3, top + 17)
    for i in range(64):
        x = left + 112 + (i % 32) * 21
        y = rows[i // 32]
        keys.append("Ch%d_Position=%d, %d, %d, %d" % (i + 1, x, y, x + 18, y + 12))
    commands = ("AllOpen", "AllClose", "MonitorKind", "RecordKind", "AlarmKind", "Hide")
    for i, name in enumerate(commands):
        x = left + 792 + (i // 2) * 66
        y = rows[i % 2]
        keys.append("%s_Position=%d, %d, %d, %d" % (name, x, y, x + 61, y + 12))
    return image_keys(pictures) + "".join(k + "\r\n" for k in keys)


# The file player's control bar: ten 32 x 32 buttons cut from the four state
# pictures at the [MainButtons] positions of player_config.ini, each with its
# glyph; the fill picture stretches behind the status texts on the right.
PLAYER_BUTTONS = ("Play", "Pause", "Stop", "Fast", "Slow", "Next", "Shot", "Open", "Save", "Sound")
PLAYER_W, PLAYER_H = 580, 55


def player_glyph(name, x, y):
    """True where the glyph of the button covers (x, y) of its 32 x 32 square."""
    def tri(x0, x1, cy, half, pointing_right=True):
        if not x0 <= x <= x1:
            return False
        t = (x - x0) / max(1, x1 - x0)
        h = half * (1 - t) if pointing_right else half * t
        return abs(y - cy) <= h
    if name == "Play":
        return tri(11, 23, 15.5, 8)
    if name == "Pause":
        return 8 <= y <= 23 and (10 <= x <= 13 or 18 <= x <= 21)
    if name == "Stop":
        return 9 <= x <= 22 and 9 <= y <= 22
    if name == "Fast":
        return tri(7, 15, 15.5, 7) or tri(16, 24, 15.5, 7)
    if name == "Slow":
        return tri(7, 15, 15.5, 7, False) or tri(16, 24, 15.5, 7, False)
    if name == "Next":
        return tri(9, 19, 15.5, 7) or (21 <= x <= 23 and 8 <= y <= 23)
    if name == "Shot":
        body = 6 <= x <= 25 and 10 <= y <= 23
        lens = (x - 15.5) ** 2 + (y - 16.5) ** 2
        return (body and not 9 <= lens <= 16 and lens > 4) or (11 <= x <= 17 and 7 <= y <= 9)
    if name == "Open":
        return (6 <= x <= 25 and 11 <= y <= 23 and not (8 <= x <= 23 and 14 <= y <= 21)) or (6 <= x <= 13 and 8 <= y <= 10)
    if name == "Save":
        frame = 7 <= x <= 24 and 7 <= y <= 24
        return frame and not (10 <= x <= 21 and 15 <= y <= 21) and not (11 <= x <= 19 and 9 <= y <= 12)
    if name == "Sound":
        speaker = (8 <= x <= 11 and 12 <= y <= 19) or (12 <= x <= 16 and abs(y - 15.5) <= (x - 8) * 0.9)
        d2 = (x - 16) ** 2 + (y - 15.5) ** 2
        return speaker or (x > 18 and (25 <= d2 <= 36 or 64 <= d2 <= 81))
    return False


def player_skin(folder):
    """Writes the bar's pictures and player_config.ini; returns the picture
    names for [PlayerSettings] of Config.ini."""
    def place(i):
        return 8 + i * 38, 12
    names = {}
    for state in ("up", "over", "down", "disable", "fill"):
        face = STATES[state](PLAYER_W, PLAYER_H)
        ink = {"up": TEXT, "over": TEXT, "down": ACCENT_HI, "disable": mix(DISABLED, TEXT, 0.3)}.get(state)

        def pixel(x, y, face=face, ink=ink):
            if ink is not None:
                for i, name in enumerate(PLAYER_BUTTONS):
                    bx, by = place(i)
                    if bx <= x < bx + 32 and by <= y < by + 32:
                        gx, gy = x - bx, y - by
                        if gx in (0, 31) or gy in (0, 31):
                            return EDGE
                        if player_glyph(name, gx, gy):
                            return ink
                        return mix(face(x, y), EDGE, 0.25)
            return face(x, y)
        name = "player_%s.bmp" % state
        bmp(os.path.join(folder, name), PLAYER_W, PLAYER_H, pixel)
        names[state] = name
    lines = ["[MainButtons]"]
    for i, name in enumerate(PLAYER_BUTTONS):
        bx, by = place(i)
        lines.append("%s_Position=%d, %d, %d, %d" % (name, bx, by, bx + 31, by + 31))
    write(os.path.join(folder, "player_config.ini"), "\r\n".join(lines) + "\r\n")
    return names


def login_dialog_keys(folder):
    """[LoginDlgSettings]: the four pictures of the login dialog's OK and
    Cancel buttons, drawn stretched over each button."""
    return image_keys(state_set(folder, "login_button", 80, 24))
# The PTZ panel's buttons: the header, the direction pad, the lens pairs
# and Sit.
PTZ_BUTTONS = [("PTZShow", 0, 0, 168, 36),
               ("LeftUp", 30, 46, 30, 30), ("Up", 66, 46, 30, 30), ("RightUp", 102, 46, 30, 30),
               ("Left", 30, 82, 30, 30), ("Sit", 66, 82, 30, 30), ("Right", 102, 82, 30, 30),
               ("LeftDown", 30, 118, 30, 30), ("Down", 66, 118, 30, 30), ("RightDown", 102, 118, 30, 30),
               ("ZoomReduce", 30, 172, 24, 22), ("ZoomAdd", 114, 172, 24, 22),
               ("IrisReduce", 30, 202, 24, 22), ("IrisAdd", 114, 202, 24, 22),
               ("FocusReduce", 30, 232, 24, 22), ("FocusAdd", 114, 232, 24, 22)]


def main():
    root = sys.argv[1]
    lang = os.path.join(root, "Language")
    sol = os.path.join(lang, "English")
    os.makedirs(sol, exist_ok=True)

    write(os.path.join(lang, "English.ini"),
          "[Info]\r\nLanguage=English\r\nImgDir=English\r\nAuthor=Selvane\r\n"
          "[String]\r\n")

    tb = state_set(sol, "toolbar", 1024, 40)
    bmp(os.path.join(sol, "title.bmp"), 1024, 28, strip(PANEL, BACK)(1024, 28))
    bmp(os.path.join(sol, "logo.bmp"), 160, 28, logo(160, 28))
    bmp(os.path.join(sol, "login.bmp"), 360, 120, logo(360, 120))
    bmp(os.path.join(sol, "StartLogo.bmp"), 400, 200, logo(400, 200))
    player = player_skin(sol)
    color = state_set(sol, "color", 169, 170)
    plan = state_set(sol, "plan", 169, 117)
    ptz = state_set(sol, "ptz", 169, 270)
    device = state_set(sol, "device", 169, 37)
    device["background"] = "device_background.bmp"
    bmp(os.path.join(sol, device["background"]), 169, 400, strip(PANEL, BACK)(169, 400))
    switch = state_set(sol, "switch", 24, 24)
    status = state_set(sol, "statusbar", 1017, 31, ("up", "over", "down", "disable", "fill"))

    write(os.path.join(sol, "Config.ini"),
          "[MainSettings]\r\nBackColor=%s\r\nMonBackColor=%s\r\nLog_Image=login.bmp\r\n"
          "[LoginDlgSettings]\r\n%s"
          "[ToolBarSettings]\r\n%sHeight=40\r\nWidth=1024\r\n"
          "[TopLogSettings]\r\nImage=title.bmp\r\nLogo=logo.bmp\r\n"
          "[MarginSettings]\r\nTop=70\r\nLeft=4\r\nBottom=4\r\nRight=4\r\n"
          "[PreviewWndInfo]\r\nPosition=4, 70, 850, 700\r\nBackColor=%s\r\nOverlayColor=%s\r\n"
          "LineColor=%s\r\nLineFocusColor=%s\r\nLineWidth=1\r\n"
          "[LeftDlgs]\r\nHeight=37\r\nWidth=169\r\nFirstDlgHeight=50\r\n"
          "[DeviceDlg]\r\nInMainWnd_Region=855, 70, 1020, 420\r\n"
          "[SystemStatusBar]\r\n%s"
          "[SwitchModeDlgSettings]\r\nHeight=24\r\nWidth=24\r\nMarginLeft=5\r\nInterval=3\r\n%s"
          "[ColorDlgSettings]\r\n%s[PlanDlgSettings]\r\n%s[PtzDlgExSettings]\r\n%s[PlayerSettings]\r\n%s"
          "[PlayWndSettings]\r\nTitleBackColor=%s\r\nMarginRight=3\r\nInterval=3\r\nTitleHeight=16\r\n"
          "TitleButtonHeight=12\r\nTitleButtonWidth=12\r\n"
          % (rgb_text(BACK), rgb_text(EDGE), login_dialog_keys(sol), image_keys(tb), rgb_text(EDGE), rgb_text(BACK),
             rgb_text(PANEL_HI), rgb_text(ACCENT), status_bar_keys(status), image_keys(switch), image_keys(color),
             image_keys(plan), image_keys(ptz), image_keys(player), rgb_text(PANEL)))
    write(os.path.join(sol, "top_config.ini"),
          "[MainButtons]\r\nTopPlayBack=Play Back\r\nTopPlayBack_IsVisible=1\r\n"
          "TopPlayBack_Position=600, 6, 680, 34\r\nTopConfig=Settings\r\nTopConfig_IsVisible=1\r\n"
          "TopConfig_Position=690, 6, 770, 34\r\nTopPreviewPlan=Preview Plans\r\nTopPreviewPlan_IsVisible=1\r\n"
          "TopPreviewPlan_Position=780, 6, 880, 34\r\nTopRecordPlan=Record Plans\r\nTopRecordPlan_IsVisible=1\r\n"
          "TopRecordPlan_Position=890, 6, 990, 34\r\n")
    write(os.path.join(sol, "device_config.ini"),
          "[MainSettings]\r\nBackColor=%s\r\n[DeviceDlgSettings]\r\n%s"
          "[MainButtons]\r\nDevcManage_Position=4, 4, 40, 30\r\nRecord_Position=44, 4, 80, 30\r\n"
          "Reboot_Position=84, 4, 120, 30\r\nTalking_Position=124, 4, 160, 30\r\n"
          % (rgb_text(PANEL), image_keys(device)))
    write(os.path.join(sol, "color_config.ini"),
          "[MainSettings]\r\nNormalHeight=170\r\n[MainButtons]\r\nColorShow_Position=0, 0, 168, 36\r\n"
          "Default_Position=10, 140, 70, 162\r\n"
          + "".join("btn%d_Position=10, %d, 34, %d\r\n" % (i + 1, 48 + i * 22, 66 + i * 22) for i in range(4)))
    write(os.path.join(sol, "Plan_config.ini"),
          "[MainSettings]\r\nNormalHeight=117\r\n[MainButtons]\r\nPlanShow_Position=0, 0, 168, 36\r\n")
    write(os.path.join(sol, "PTZ_config.ini"),
          "[MainSettings]\r\nNormalHeight=270\r\nAdvanceHeight=428\r\n[MainButtons]\r\n"
          + "".join("%s_Position=%d, %d, %d, %d\r\n" % (k, x, y, x + w, y + h) for k, x, y, w, h in PTZ_BUTTONS))


if __name__ == "__main__":
    main()
