/*
 * vostrand_lib: the helper library of VostrandNet.
 *
 * Plain C interface, undecorated names, no state kept between calls, no threads, no windows.
 * Texts are zero-terminated 8-bit strings owned by the caller; the library copies what it
 * needs and never writes to an input text. No C++ exception crosses this boundary.
 */
#ifndef VOSTRAND_LIB_H
#define VOSTRAND_LIB_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(VOSTRAND_LIB_BUILDING)
#define VOSTRAND_LIB_API __declspec(dllexport)
#else
#define VOSTRAND_LIB_API __declspec(dllimport)
#endif
#else
#define VOSTRAND_LIB_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Seconds since 2000-01-01 00:00:00 (no time zone, no leap seconds, every fourth year a leap
 * year). Fields: year since 2000, month 1..12, day 1..31, hour, minute, second; only the low
 * byte of each argument is used. Nothing is checked: out-of-range fields enter the arithmetic.
 */
VOSTRAND_LIB_API uint32_t date_time_to_sec2000(int32_t year, int32_t month, int32_t day,
                                               int32_t hour, int32_t minute, int32_t second);

/*
 * The inverse of date_time_to_sec2000: stores the six fields through the six pointers (each
 * must be valid) and returns the second.
 */
VOSTRAND_LIB_API uint8_t sec2000_to_date_time(uint32_t seconds, uint8_t* year, uint8_t* month,
                                              uint8_t* day, uint8_t* hour, uint8_t* minute,
                                              uint8_t* second);

/*
 * 1 when the file at `path` passes the archive check: its last four bytes hold, least
 * significant byte first, the CRC-32 register (start 0xFFFFFFFF, reflected polynomial
 * 0xEDB88320, no final inversion) over all bytes before them. 0 when it does not, or when the
 * file cannot be opened. Safe to call from several threads at once.
 */
VOSTRAND_LIB_API uint8_t file_CRC32_correct(const char* path);

/*
 * Decodes the maker's 16-bit float held in the low half of `value`: sign bit 15, 5-bit
 * two's-complement decimal exponent E in bits 14..10, mantissa m in bits 9..0; the value is
 * +-m * 10^(E-2). Mantissa 1023 is special: 1e30 when positive, -1e-30 when negative.
 */
VOSTRAND_LIB_API double fl16_to_float(int32_t value);

/*
 * Converts one binary archive file into a new text archive at `target` (overwritten) whose
 * device section carries "adress=" with the low byte of `address`. 1 = converted; 0 = the
 * source fails the CRC check (the target is then left alone), the source or the target cannot
 * be opened, or writing the target fails. A truncated or malformed file with a correct CRC
 * converts: its section simply ends early.
 */
VOSTRAND_LIB_API int32_t vsb2vsa(const char* source, const char* target, int32_t address);

/*
 * Converts every regular "*.vsb" file of `folder` (extension in any case, in name order) into
 * one text archive at `target` (overwritten), numbering the converted files from 1. The device
 * section is the folder's "dev_info.vsi" when present, else "adress=01". Files of 20 bytes or
 * less are skipped whatever their CRC. 1 = every file converted; 0 = the target could not be
 * created or written, or at least one file failed the CRC check or could not be opened (the
 * target then still holds every file that did convert).
 */
VOSTRAND_LIB_API int32_t vsb2vsa_m(const char* folder, const char* target);

/*
 * Turns a Modbus ASCII frame text (":" hex pairs, LRC, CR LF) into a Modbus TCP frame in
 * `buffer`, which must hold 6 + (number of frame bytes) bytes. Returns the frame length, or 0
 * when the text is shorter than 6 characters, lacks the colon, fails the LRC check (buffer
 * untouched) or has an odd number of hex digits (the first four bytes are then written).
 */
VOSTRAND_LIB_API int32_t convert_MODBUS_ASCII_to_TCP(const char* frame, uint8_t* buffer,
                                                     int32_t transaction_id);

/*
 * Turns `count` bytes of a Modbus TCP frame into the ASCII frame text (":" hex, LRC, CR LF),
 * written zero-terminated into `text`, which holds `text_size` bytes; the transaction
 * identifier goes through `transaction_id` first. Returns the text length without the
 * terminator; 0 (empty text, identifier untouched) when `count` is 6 or less; 0 (empty text)
 * when `text_size` is below 2 * (count - 6) + 6, the room the text needs.
 */
VOSTRAND_LIB_API int32_t convert_MODBUS_TCP_to_ASCII(const uint8_t* frame, int32_t count,
                                                     uint16_t* transaction_id, char* text,
                                                     int32_t text_size);

#ifdef __cplusplus
}
#endif

#endif /* VOSTRAND_LIB_H */
