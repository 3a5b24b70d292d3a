#!/usr/bin/env python3
"""Loads the helper library given as argv[1] through ctypes and checks its exports by name."""
import ctypes
import sys


def main() -> int:
    lib = ctypes.CDLL(sys.argv[1])
    failures = []

    def check(name, actual, expected):
        if actual != expected:
            failures.append(f"{name}: got {actual!r}, expected {expected!r}")

    to_sec = lib.date_time_to_sec2000
    to_sec.restype = ctypes.c_uint32
    to_sec.argtypes = [ctypes.c_int32] * 6
    for fields, seconds in [((0, 1, 1, 0, 0, 0), 0), ((0, 3, 1, 0, 0, 0), 5184000),
                            ((1, 1, 1, 0, 0, 0), 31622400), ((4, 1, 1, 0, 0, 0), 126230400)]:
        check(f"date_time_to_sec2000{fields}", to_sec(*fields), seconds)

    from_sec = lib.sec2000_to_date_time
    from_sec.restype = ctypes.c_uint8
    from_sec.argtypes = [ctypes.c_uint32] + [ctypes.POINTER(ctypes.c_uint8)] * 6
    for seconds, fields in [(5097600, (0, 2, 29, 0, 0, 0)), (5184000, (0, 3, 1, 0, 0, 0))]:
        out = [ctypes.c_uint8(0xEE) for _ in range(6)]
        returned = from_sec(seconds, *[ctypes.byref(value) for value in out])
        check(f"sec2000_to_date_time({seconds})", tuple(value.value for value in out), fields)
        check(f"sec2000_to_date_time({seconds}) result", returned, fields[5])

    fl16 = lib.fl16_to_float
    fl16.restype = ctypes.c_double
    fl16.argtypes = [ctypes.c_int32]
    for value, expected in [(0x0000, 0.0), (0x0801, 1.0), (0x8801, -1.0), (0x0BFF, 1e30),
                            (0x8BFF, -1e-30), (0x4001, 1e-18)]:
        check(f"fl16_to_float(0x{value:04X})", fl16(value), expected)

    crc = lib.file_CRC32_correct
    crc.restype = ctypes.c_uint8
    crc.argtypes = [ctypes.c_char_p]
    import os
    import tempfile
    with tempfile.TemporaryDirectory() as folder:
        for content, expected in [(b"\xFF\xFF\xFF\xFF", 1), (b"", 0)]:
            path = os.path.join(folder, "file")
            with open(path, "wb") as file:
                file.write(content)
            check(f"file_CRC32_correct({content!r})", crc(path.encode()), expected)
        check("file_CRC32_correct(missing)", crc(os.path.join(folder, "none").encode()), 0)

    to_tcp = lib.convert_MODBUS_ASCII_to_TCP
    to_tcp.restype = ctypes.c_int32
    to_tcp.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_uint8), ctypes.c_int32]
    buffer = (ctypes.c_uint8 * 32)(*([0xAA] * 32))
    check("ASCII to TCP length", to_tcp(b":010300000002FA\r\n", buffer, 0), 12)
    check("ASCII to TCP bytes", bytes(buffer[:12]), bytes.fromhex("000000000006010300000002"))
    check("ASCII to TCP wrong LRC", to_tcp(b":010300000002FB\r\n", buffer, 0), 0)
    check("ASCII to TCP short text", to_tcp(b":0103", buffer, 0), 0)
    buffer = (ctypes.c_uint8 * 32)(*([0xAA] * 32))
    check("ASCII to TCP odd hex part", to_tcp(b":FF010\r\n", buffer, 0x1234), 0)
    check("ASCII to TCP odd hex part bytes", bytes(buffer[:5]), bytes.fromhex("12340000AA"))

    to_ascii = lib.convert_MODBUS_TCP_to_ASCII
    to_ascii.restype = ctypes.c_int32
    to_ascii.argtypes = [ctypes.POINTER(ctypes.c_uint8), ctypes.c_int32,
                         ctypes.POINTER(ctypes.c_uint16), ctypes.c_char_p, ctypes.c_int32]
    frame = bytes.fromhex("123400000006010300000002")
    frame_buffer = (ctypes.c_uint8 * len(frame))(*frame)
    identifier = ctypes.c_uint16(0)
    text = ctypes.create_string_buffer(64)
    length = to_ascii(frame_buffer, len(frame), ctypes.byref(identifier), text, len(text))
    check("TCP to ASCII text", text.value, b":010300000002FA\r\n")
    check("TCP to ASCII length", length, 17)
    check("TCP to ASCII identifier", identifier.value, 0x1234)
    identifier = ctypes.c_uint16(0xBEEF)
    check("TCP to ASCII header only", to_ascii(frame_buffer, 6, ctypes.byref(identifier), text,
                                               len(text)), 0)
    check("TCP to ASCII header only identifier", identifier.value, 0xBEEF)

    for name in ("vsb2vsa", "vsb2vsa_m"):
        check(f"export {name}", hasattr(lib, name), True)

    for failure in failures:
        print("FAIL", failure)
    print(f"ctypes check of {sys.argv[1]}: {'failed' if failures else 'passed'}"
          f" ({len(failures)} failure(s))")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
