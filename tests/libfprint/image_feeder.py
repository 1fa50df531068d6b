"""Feeds libfprint's virtual_image driver, the stand-in for a USB reader in the tests.

The driver listens on the UNIX socket named by FP_VIRTUAL_IMAGE while the device is open and takes one
client at a time. Each message starts with two native 32-bit integers: an image is its width and height
followed by width x height gray bytes, top row first; a negative first integer is a command with the second
as its argument.
"""
import os
import socket
import struct
import time

RETRY = -1           # argument: an FpDeviceRetry code (0 general, 1 too short, 2 centre finger, 3 remove finger)
ERROR = -2           # argument: an FpDeviceError code; ends the capture with that error
AUTOMATIC_FINGER = -3  # argument 1: every image comes with finger on and off reports (the default), 0: not
FINGER = -4          # argument 1: finger on the sensor, 0: finger lifted
REMOVE = -5          # the device is unplugged

DEVICE_ERROR_PROTO = 5  # FpDeviceError: the exchange with the device broke down


class Feeder:
    def __init__(self, path):
        self.path = path
        self.sock = None

    def connect(self, timeout=20.0):
        """Waits for the device to listen (it does from its opening on) and connects."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                sock.connect(self.path)
                self.close()
                self.sock = sock
                return
            except OSError:
                sock.close()
                if time.monotonic() > deadline:
                    raise TimeoutError(f"nothing listens on {self.path}")
                time.sleep(0.02)

    def close(self):
        if self.sock is not None:
            self.sock.close()
            self.sock = None

    def image(self, width, height, pixels):
        assert len(pixels) == width * height
        self.sock.sendall(struct.pack("=ii", width, height) + bytes(pixels))

    def command(self, code, argument=0):
        self.sock.sendall(struct.pack("=ii", code, argument))

