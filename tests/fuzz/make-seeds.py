#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora (tests/fuzz/corpus/<fuzzer>/), one file per seed.

Usage: tests/fuzz/make-seeds.py   (rewrites the seed files; other files in corpus/ stay)

The byte layouts are those described at the top of each fuzzer's source.
Separator pair numbers (the first byte) follow FuzzLocales: 0 C, 1 comma and point (de_DE),
4 comma and narrow no-break space (fr_FR), 8 Arabic separators (ar_EG).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

C, DE, FR, AR = 0, 1, 4, 8
UTF8, UTF16, TOKENS = 0, 1, 2  # TOKENS: \x01 is the decimal separator, \x02 the group separator

numberrules = {
    "digits": (C, UTF8, "400"),
    "blanks-around": (C, UTF8, " \t42  "),
    "signs": (C, UTF8, "-5"),
    "plus": (C, UTF8, "+7"),
    "trailing-point": (C, UTF8, "12."),
    "leading-point": (C, UTF8, ".5"),
    "exponent": (C, UTF8, "2.5E-1"),
    "grouped": (C, UTF8, "15,076,231"),
    "underflow": (C, UTF8, "1e-400"),
    "largest-double": (C, UTF8, "1.7976931348623157e308"),
    "overflow": (C, UTF8, "1e400"),
    "leading-number": (C, UTF8, "12abc"),
    "leading-exponent-overflow": (C, UTF8, "3e999x"),
    "half": (C, UTF8, "2.5"),
    "minus-half": (C, UTF8, "-0.5"),
    "sixteen-digits": (C, UTF8, "9007199254740993"),
    "long-digits": (C, UTF8, "1" * 320),
    "hex": (C, UTF8, "0x10"),
    "double-group": (C, UTF8, "1,,2"),
    "inf": (C, UTF8, "inf"),
    "de-decimal": (DE, TOKENS, "12\x015"),
    "de-grouped": (DE, TOKENS, "1\x02234\x015"),
    "fr-grouped": (FR, TOKENS, "1\x02234\x0125"),
    "fr-ascii-point": (FR, UTF8, "1.5"),
    "ar-separators": (AR, TOKENS, "1\x02234\x015"),
    "utf16-digits": (C, UTF16, "12"),
    "utf16-arabic-digits": (C, UTF16, "\u0661\u0662"),
    "utf16-lone-surrogate": (C, UTF16, "1\ud800"),
}


def text_bytes(mode, text):
    if mode == UTF16:
        return text.encode("utf-16-le", "surrogatepass")
    return text.encode("utf-8")


# fuzz_fieldset actions (the first byte of each; operands follow)
TYPE, PASTE, PASTE_UNLIMITED, BACKSPACE, DELETE, CARET, REPLACE, CALCULATE = 0, 4, 5, 6, 7, 8, 9, 10
RESET, ABOUT, CLOSE, CLOSE_YES = 12, 13, 14, 15
YES, NO, CLOSED = 0, 1, 2


def digit(d):
    return bytes([TYPE, ord(d) - ord("0")])  # operand bytes below 128 type digit byte % 10


def typed(digits):
    return b"".join(digit(d) for d in digits)


OTHERS = "+-.,eE \t'x"  # characterOf: 128 + 32 + index


def char(c):
    if c.isdigit():
        return ord(c) - ord("0")
    if c == "D":
        return 128  # the locale's decimal separator
    if c == "G":
        return 128 + 16  # the locale's group separator
    return 128 + 32 + OTHERS.index(c)


def paste(text, unlimited=False):
    return bytes([PASTE_UNLIMITED if unlimited else PASTE, len(text)] + [char(c) for c in text])


def replace(serial):
    return bytes([REPLACE]) + struct.pack(">I", 8 * (serial - 1) + 2)


def reset(answer):
    return bytes([RESET, answer])


fieldset = {
    "serial-400": bytes([C]) + typed("400") + bytes([CALCULATE]),
    "serial-5-average-floor": bytes([C]) + typed("5") + bytes([CALCULATE]),
    "last-serial-and-beyond": bytes([C]) + replace(15076231) + bytes([CALCULATE])
    + bytes([REPLACE]) + struct.pack(">I", 8 * 5) + bytes([CALCULATE]),
    "gap-serial": bytes([C]) + replace(2831427) + bytes([CALCULATE]),
    "month-last-serial": bytes([C]) + replace(646) + bytes([CALCULATE]) + replace(647)
    + bytes([CALCULATE]),
    "shared-serials": bytes([C]) + replace(9232672) + bytes([CALCULATE]) + replace(15034680)
    + bytes([CALCULATE]),
    "same-day-twice": bytes([C]) + replace(400) + bytes([CALCULATE]) + replace(401)
    + bytes([CALCULATE]),
    "reset-answers": bytes([C]) + typed("400") + bytes([CALCULATE]) + reset(NO) + reset(CLOSED)
    + reset(YES) + reset(YES) + bytes([CALCULATE]),
    "leading-zeros": bytes([C]) + typed("0070"),
    "paste-fraction-and-sign": bytes([C]) + paste("12D5") + bytes([CALCULATE]) + paste("-5")
    + bytes([CALCULATE]),
    "letters-empty-the-field": bytes([C]) + typed("12") + bytes([TYPE, char("x")])
    + bytes([CALCULATE]),
    "editing-in-the-middle": bytes([C]) + typed("1234") + bytes([CARET, 1]) + typed("9")
    + bytes([BACKSPACE]) + bytes([CARET, 0]) + bytes([DELETE]) + bytes([CALCULATE]),
    "exponent-paste": bytes([C]) + paste("1e7", unlimited=True) + paste("9e9", unlimited=True)
    + bytes([CALCULATE]),
    "about-and-close": bytes([C]) + typed("400") + bytes([CALCULATE, ABOUT, CLOSE, 1, CLOSE, 0])
    + bytes([CLOSE_YES, ord("Y")]),
    "fr-grouped-paste": bytes([FR]) + paste("1G234") + bytes([CALCULATE]),
    "de-grouped-paste": bytes([DE]) + paste("2G831G426") + bytes([CALCULATE]),
    "ar-separators": bytes([AR]) + paste("4D5") + bytes([CALCULATE]),
}


batch = {
    "serials": bytes([C]) + b"400\n5\n15076231\n",
    "refused": bytes([C]) + b"0\n15076232\n2831427\nabc\n-5\n",
    "blank-and-crlf": bytes([C]) + b"   \n400\r\n\t\n12.5\r\n",
    "csv-quoting": bytes([C]) + b'1,000\n"400"\n1e3\n',
    "de-grouped": bytes([DE]) + b"1.234\n12,5\n",
    "fr-grouped": bytes([FR]) + "1\u202f234\n".encode("utf-8"),
    "invalid-utf8": bytes([C]) + b"4\xff00\n\xc3\n",
}


# fuzz_input: mode, largest read, limit, then the input (or the table to build: bytes 0xD0 and
# up end a field, 0xF0 and up a row; the first byte sets quoting and line endings).
LINES, CSV_RAW, CSV_BUILT = 0, 1, 3
COMMA, SEMICOLON, TAB = 1 << 2, 2 << 2, 3 << 2
LE, BE = 1 << 4, 2 << 4
FIELD, ROW = b"\xd0", b"\xf0"
input_seeds = {
    "lines-nul-invalid-crlf": bytes([LINES, 5, 40]) + b"12\0\n4\xff\r\n400\r\n",
    "lines-utf16le": bytes([LINES, 3, 40]) + "\ufeff400\r\n5".encode("utf-16-le"),
    "lines-utf16be-odd": bytes([LINES, 2, 40]) + "\ufeff4\n".encode("utf-16-be") + b"5",
    "lines-long": bytes([LINES, 7, 8]) + b"123456789012\n400\n" + b"9" * 30,
    "lines-escapes": bytes([LINES, 16, 60]) + b"\x1b]0;X\x07\n\xe2\x80\xaeab\\x\n",
    "lines-blank": bytes([LINES, 3, 32])
    + b"\n \t\n\xef\xbb\xbf\n\xef\xbb\xbf\xef\xbb\xbf\nx\n\x0b\x0c\r\n",
    "lines-blank-utf16le": bytes([LINES, 5, 63])
    + "\ufeff \n\ufeff\n\t\r\nx".encode("utf-16-le"),
    "csv-raw-quotes": bytes([CSV_RAW, 4, 60]) + b'a,b\r\n"x,""y""\nz",1\n"unterminated',
    "csv-raw-semicolon-long": bytes([CSV_RAW, 9, 10]) + b'a;b\n"' + b"x" * 40 + b'";1\n2;3\n',
    "csv-built-detect": bytes([CSV_BUILT, 6, 64]) + b"\x05" + b"\x00" + FIELD + b"\x01"
    + ROW + b"\x06\x07" + FIELD + b"\x03\x08" + ROW + FIELD,
    "csv-built-tab-utf16": bytes([CSV_BUILT | TAB | LE, 5, 30]) + b"\x02" + b"\x09\x00"
    + FIELD + b"\x01" + ROW + b"\x05\x06" + FIELD + b"\x00" * 35,
    "csv-built-semicolon-be": bytes([CSV_BUILT | SEMICOLON | BE, 11, 50]) + b"\x00\x00" + ROW
    + b"\x04" + FIELD + ROW,
}


TEXT, DESCRIBED, MONTH_FIRST = 0, 1, 2  # fuzz_builton: the first byte's two lowest bits
(SENTENCE, SENTENCE_NO_COMMA, ISO, ISO_TIME, DASHED, DOTTED, SLASH_YEAR_LAST,
 SLASH_YEAR_FIRST) = range(8)
ZEROS, QUOTED, TWO_DIGIT_YEAR, ABBREVIATED, SEPT, SECONDS, T = 1, 2, 4, 8, 16, 32, 64


def described(year, month, day, form=SENTENCE, flags=0, case=0, blanks=(0, 1, 0, 1, 0),
              time=(0, 0, 0), order=0):
    """A day described field by field: month 13 is Oct-Dec; each blank byte picks "", " ", a tab...;
    time is hour, minute, second."""
    return bytes([DESCRIBED | order, year - 1900, month, day, form, flags, case]
                 + list(blanks) + list(time))


def day_text(value, order=0):
    return bytes([TEXT | order]) + value


builton = {
    "sentence": day_text(b"January 9, 1909"),
    "iso": day_text(b"1909-01-09"),
    "oct-dec": day_text(b"Oct-Dec 9, 1912"),
    "blanks-and-case": day_text(b" \tfEBRUARY  29 ,1924 "),
    "not-in-calendar": day_text(b"February 29, 1910"),
    "outside": day_text(b"1928-01-01"),
    "october-1912": day_text(b"October 9, 1912"),
    "invalid-utf8": day_text(b"Janu\xc3ry 9, 1909"),
    "quoted": day_text(b'"January 9, 1909"'),
    "iso-time": day_text(b"1909-01-09 00:00:00"),
    "dashed": day_text(b"9-Jan-1909"),
    "dotted": day_text(b"09.01.1909"),
    "slash-month-first": day_text(b"1/9/1909", MONTH_FIRST),
    "slash-day-first": day_text(b"13/1/1909"),
    "described-first-day": described(1908, 10, 21),
    "described-shared-serials": described(1924, 2, 13, ISO),
    "described-oct-dec-last": described(1912, 13, 31, flags=ZEROS, case=0b1010),
    "described-day-32": described(1912, 13, 32),
    "described-month-14": described(1920, 14, 1, ISO),
    "described-iso-time": described(1909, 1, 9, ISO_TIME, flags=SECONDS | T, time=(23, 59, 59)),
    "described-hour-24": described(1909, 1, 9, ISO_TIME, time=(24, 0, 0)),
    "described-sept": described(1915, 9, 30, SENTENCE_NO_COMMA, flags=ABBREVIATED | SEPT),
    "described-dashed-oct-1912": described(1912, 10, 9, DASHED, flags=ABBREVIATED | QUOTED),
    "described-dotted-two-digit-year": described(1909, 1, 9, DOTTED, flags=TWO_DIGIT_YEAR),
    "described-slash-leap-day": described(1924, 2, 29, SLASH_YEAR_LAST, order=MONTH_FIRST),
    "described-slash-year-first": described(1927, 12, 31, SLASH_YEAR_FIRST, flags=ZEROS),
}


def write(fuzzer, seeds):
    folder = os.path.join(HERE, "corpus", fuzzer)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


write("fuzz_numberrules",
      {name: bytes([loc, mode]) + text_bytes(mode, text)
       for name, (loc, mode, text) in numberrules.items()})
write("fuzz_fieldset", fieldset)
write("fuzz_batch", batch)
write("fuzz_input", input_seeds)
write("fuzz_builton", builton)
