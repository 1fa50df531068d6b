#!/usr/bin/env python3
"""Writes the udev rule of tervo-libfprint from libfprint's hardware database, or checks it (--check).

libfprint-2-2 installs /lib/udev/hwdb.d/60-autosuspend-libfprint-2.hwdb, which lists the USB ids of every
reader under a "Supported by libfprint driver NAME" line. The rule gives the readers of the drivers that
deliver images to the logged-in user (uaccess) and to the plugdev group, so that tervo needs no root.
"""
import argparse
import re
import sys

IMAGE_DRIVERS = {
    "aes1610", "aes1660", "aes2501", "aes2550", "aes2660", "aes3500", "aes4000", "egis0570", "elan",
    "etes603", "nb1010", "upeksonly", "upektc", "upektc_img", "uru4000", "vcom5s", "vfs0050", "vfs101",
    "vfs301", "vfs5011", "vfs7552",
}
HEADER = """\
# tervo-libfprint: USB access to the fingerprint readers whose libfprint
# drivers deliver images, for the logged-in user and the plugdev group.
# Made by standin/libfprint/make_udev_rules.py from libfprint's hwdb.
"""
RULE = ('SUBSYSTEM=="usb", ENV{{DEVTYPE}}=="usb_device", ATTR{{idVendor}}=="{vendor}", '
        'ATTR{{idProduct}}=="{product}", TAG+="uaccess", GROUP="plugdev", MODE="0660"\n')


def rules_from_hwdb(text):
    lines, driver = [HEADER], None
    for line in text.splitlines():
        named = re.match(r"# Supported by libfprint driver (\S+)", line)
        if named:
            driver = named.group(1)
            if driver in IMAGE_DRIVERS:
                lines.append(f"\n# {driver}\n")
            continue
        device = re.match(r"usb:v([0-9A-F]{4})p([0-9A-F]{4})\*", line)
        if device and driver in IMAGE_DRIVERS:
            lines.append(RULE.format(vendor=device.group(1).lower(), product=device.group(2).lower()))
    return "".join(lines)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--hwdb", default="/lib/udev/hwdb.d/60-autosuspend-libfprint-2.hwdb")
    ap.add_argument("--rules", required=True)
    ap.add_argument("--check", action="store_true", help="fail when the rule file differs from the hwdb's list")
    opts = ap.parse_args()
    wanted = rules_from_hwdb(open(opts.hwdb).read())
    if opts.check:
        if open(opts.rules).read() != wanted:
            print(f"{opts.rules} is not what {opts.hwdb} gives; run {sys.argv[0]} --rules {opts.rules}")
            return 1
        return 0
    with open(opts.rules, "w") as out:
        out.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
