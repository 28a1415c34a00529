#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the seed corpora of the fuzz targets: one folder per target under
the given folder, one small input per file. Every seed is built here from
the file formats' own rules (comments, headers, quotes, cut lengths), so the
fuzzer starts from inputs that reach deep into each reader."""

import os
import random
import sys

LINE = 999   # longest line piece the INI reader classifies at once
NAME = 499   # longest name or value


def ini_reader():
    """Whole INI files."""
    yield b""
    yield b"[s]\nk=v\n"
    yield b"; top\n;second\n[first]\n; key comment\nname = value \nflag\n\n[second]\nx=1\xfe2\n"
    yield b"loose=1\n[s]\nk=v\r\n\r\n; c\r\n[t]\r\n=empty name\r\n"
    yield b'[s]\n"a=b"=c\n"open=x\nk="v\xfew"\xfetail\n;\n[ spaced name ]\n  k  =  v  \n'
    yield b"[s]\n" + b"k" * (NAME + 20) + b"=" + b"v" * (NAME + 20) + b"\n"
    yield b"[s]\n" + b"x" * (LINE + 5) + b"=tail\n[" + b"n" * (LINE - 1) + b"]\n"
    yield b"; " + b"c" * (LINE + 30) + b"\n[s]\n;a\\nb\n;\\n[t]\nk\n"
    yield b"[a]\n[b]\n[a]\nk=1\n[[x]]\n[y\n[]\n]z[\n\x00[s]\nk\x00=v\n"
    yield b"[s]\n;a\n\n;b\n\n\nk=v\n \n;c\nj\r\n"
    yield b"[s]\na\rb=c\r\rd\nv=x\r \n\xff\xfe\x80=\xc3\xa9\n"


def ini_text():
    """A routine number, a two-byte length, the text, then the routine's
    own choices (brackets, delimiters and the last token number)."""
    def item(routine, text, tail=b""):
        return bytes([routine]) + len(text).to_bytes(2, "big") + text + tail

    lines = [b"", b"  ", b"k=v\r\n", b"name  \n", b"x \r", b"[sect]", b"  [[a]b]", b"[a[b]", b"[" + b"n" * 600 + b"]",
             b'a,"b,c",,d ', b"  a  b  ", b"one two ", b'"x y" z', b";a\n;b\n\nc", b"a\\nb\\n;c\\", b"\\n\\\\n"]
    for text in lines:
        yield item(0, text)
        yield item(1, text, b"\x01[]")
        yield item(1, text, b"\x01<>")
        yield item(1, text, b"\x00[]")
        for delimiter in b",= \"\xfe":
            yield item(2, text, bytes([2, delimiter, 7]))
        yield item(2, text, bytes([0, 0, 3]))
        yield item(2, text, bytes([3, ord(","), 2]) + b"=;" + bytes([7]))
        yield item(3, text)
        yield item(4, text)
    yield item(3, b";" * 700)
    yield item(3, b"\n" * 600)


def parse_values():
    """A separator byte, then the line."""
    lines = [b"a,b,c", b' "x, y" , [1,2]z , plain ,', b"\t a;;b ;", b'"open', b"[open", b'a""b', b"x\x00y",
             b"   ", b'"q""r"', b"[a]]b", b"1 2  3"]
    for separator in b",; \"]\x00\t":
        for line in lines:
            yield bytes([separator]) + line


def ini_edit():
    """Random operation sequences; the target decodes any bytes."""
    rng = random.Random(8)
    for _ in range(40):
        yield bytes(rng.randrange(256) for _ in range(rng.randrange(8, 200)))


def xml_wrapper():
    """An edit program (a length byte, then the program), then a document."""
    documents = [
        b'<?xml version="1.0"?>\n<root a="1" value="v"><item value="x">text</item><item/></root>\n',
        b"<a>one<b>two</b>three<![CDATA[four]]><!-- gone -->five</a>",
        b'<!DOCTYPE a [<!ENTITY e "x">]><?pi data?><a x="&lt;&amp;&#10;&#x41;">&gt;&quot;&apos;&#13;</a>',
        b"\xef\xbb\xbf<a>\xc3\xa9\xe2\x82\xac\xff\xfe</a>",
        "<a>\u00e9t\u00e9</a>".encode("utf-16"),
        b"<a>\r\n<b>\r</b>\r\n</a>",
        b"<r>" + b"<n>" * 300 + b"x" + b"</n>" * 300 + b"</r>",
        b"<r>" + b"".join(b'<c i="%d">%d</c>' % (i, i) for i in range(60)) + b"</r>",
        b"<a><b></a>",
        b"not xml at all",
        b"",
        b"<a/><b/>",
        b"<x:y xmlns:x='u' x:z='1'><_-.a/></x:y>",
    ]
    programs = [b"", bytes([1, 0, 0, 1, ord("q")]), bytes([0, 1, 0, 1, ord("v")]) + bytes([2, 2, 1, 3]) + b"abc",
                bytes([3, 3, 9, 2]) + b"zz" + bytes([1, ord("w")]), bytes([0, 4, 0, 0, 0, 5, 0, 0]),
                bytes([5, 1, 5, 1, ord("k"), 7, 2, 3, 2, ord("\r"), ord("\n")])]
    for number, document in enumerate(documents):
        for program in programs[: 2 + number % len(programs)]:
            yield bytes([len(program)]) + program + document


def token_writer():
    """An indent byte, tree-building operations (operation, name, value and
    index), the end operation 8, then the tokenizer's script."""
    def op(operation, name=b"", value=b"", index=0):
        return bytes([operation, len(name)]) + name + bytes([len(value)]) + value + bytes([index])

    yield b"\t"
    yield b"\t" + op(0, b"A") + op(2) + op(4, b"x", b"1") + op(0, b"B") + bytes([8])
    yield b" " + op(0, b"a") + op(1, b"gap", index=4) + op(6, index=2) + op(5, b"X", b"2") + op(5, b"x", b"3") + bytes([8])
    yield b"\x00" + op(0, b"a") + op(2) + op(0, b"b") + bytes([8]) + b"\x02\x04\x30\xff"
    chain = b"".join(op(0, b"n") + op(2) for _ in range(300))
    yield b"\t" + chain + bytes([8]) + b"\x01"
    rng = random.Random(6)
    for _ in range(30):
        tree = b"".join(op(rng.choice([0, 0, 1, 2, 2, 3, 4, 5, 6, 7]), b"k%d" % rng.randrange(4), b"v",
                           rng.randrange(6)) for _ in range(rng.randrange(1, 40)))
        script = bytes(rng.randrange(255) for _ in range(rng.randrange(0, 30)))
        yield b"\t" + tree + bytes([8]) + script


TARGETS = {"ini_reader": ini_reader, "ini_text": ini_text, "ini_edit": ini_edit, "parse_values": parse_values,
           "xml_wrapper": xml_wrapper, "token_writer": token_writer}


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_seeds.py <output folder>")
    for target, seeds in TARGETS.items():
        folder = os.path.join(sys.argv[1], target)
        os.makedirs(folder, exist_ok=True)
        for number, seed in enumerate(seeds()):
            with open(os.path.join(folder, "seed_%03d" % number), "wb") as out:
                out.write(seed)


if __name__ == "__main__":
    main()
