#!/usr/bin/env python3
"""Finds std::filesystem calls that throw on failure.

Every std::filesystem function that can fail has an overload that reports through a
std::error_code instead of throwing; the program uses only those, so that a symbolic-link
loop, an unreadable folder or a full disk is an ordinary failure at the call site and never
an exception that ends the process.

A call of one of the names below, written as `std::filesystem::name(...)` or `fs::name(...)`,
counts as non-throwing when its last argument is a variable the same file declares as a
std::error_code (or is named `ec`). A range-for over a directory iterator is reported as
well: its increment throws. So are directory_entry queries without an argument
(`entry.is_directory()`). A call that may throw on purpose carries the marker comment
`filesystem-may-throw: <reason>` on its line or on the line above.

Not seen: calls through `using namespace std::filesystem` or other aliases than `fs`.

Usage: check_filesystem_calls.py FOLDER...   (exit 1 and one line per call found)
       check_filesystem_calls.py --self-test
"""

import os
import re
import sys

NAMES = {
    "absolute", "canonical", "weakly_canonical", "relative", "proximate", "copy",
    "copy_file", "copy_symlink", "create_directory", "create_directories",
    "create_hard_link", "create_symlink", "create_directory_symlink", "current_path",
    "equivalent", "exists", "file_size", "hard_link_count", "is_block_file",
    "is_character_file", "is_directory", "is_empty", "is_fifo", "is_other",
    "is_regular_file", "is_socket", "is_symlink", "last_write_time", "permissions",
    "read_symlink", "remove", "remove_all", "rename", "resize_file", "space", "status",
    "symlink_status", "temp_directory_path", "directory_iterator",
    "recursive_directory_iterator",
}
# An iterator without arguments is the end iterator, which does not throw.
ITERATORS = {"directory_iterator", "recursive_directory_iterator"}
# directory_entry queries that throw when called without an error_code. (`exists` and
# `status` are left out: other classes of the program have members of those names.)
ENTRY_QUERIES = {
    "is_block_file", "is_character_file", "is_directory", "is_fifo", "is_other",
    "is_regular_file", "is_socket", "is_symlink", "file_size", "hard_link_count",
    "last_write_time", "symlink_status",
}
MARKER = "filesystem-may-throw:"

CALL = re.compile(r"\b(?:std::filesystem|fs)::(\w+)\s*\(")
RANGE_FOR = re.compile(
    r"\bfor\s*\([^;{}]*?[^:]:\s*(?:std::filesystem|fs)::(?:recursive_)?directory_iterator\b")
ENTRY_CALL = re.compile(r"(?:\.|->)(\w+)\s*\(\s*\)")
DECLARED = re.compile(r"\berror_code\s*&?\s*(\w+)")


def strip(text):
    """Blanks comments and string literals, keeping the line breaks and the markers."""
    out = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end == -1 else end
            comment = text[i:end]
            out.append(MARKER if MARKER in comment else "")
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end == -1 else end + 2
            out.append("\n" * text.count("\n", i, end))
            i = end
        elif c == '"' or c == "'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def arguments(text, start):
    """The top-level arguments of the call whose '(' is at start."""
    depth = 0
    args = []
    current = []
    for i in range(start, len(text)):
        c = text[i]
        if c in "([{":
            depth += 1
            if depth == 1:
                continue
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                args.append("".join(current).strip())
                return [a for a in args if a]
        elif c == "," and depth == 1:
            args.append("".join(current).strip())
            current = []
            continue
        current.append(c)
    return None


def check_text(text, name):
    code = strip(text)
    lines = code.split("\n")
    codes = {"ec"} | set(DECLARED.findall(code))
    found = []

    def report(offset, what):
        line = code.count("\n", 0, offset)
        if MARKER in lines[line] or (line > 0 and MARKER in lines[line - 1]):
            return
        found.append("%s:%d: %s" % (name, line + 1, what))

    for m in CALL.finditer(code):
        fn = m.group(1)
        if fn not in NAMES:
            continue
        args = arguments(code, m.end() - 1)
        if args is None:
            continue
        if not args and fn in ITERATORS:
            continue
        if not args or args[-1] not in codes:
            report(m.start(), "std::filesystem::%s without a std::error_code" % fn)
    for m in RANGE_FOR.finditer(code):
        report(m.start(), "range-for over a directory iterator (its increment throws)")
    for m in ENTRY_CALL.finditer(code):
        if m.group(1) in ENTRY_QUERIES:
            report(m.start(), "directory_entry::%s without a std::error_code" % m.group(1))
    return found


def self_test():
    bad = """
namespace fs = std::filesystem;
void f(const fs::path& p) {
    std::error_code one;
    fs::create_directories(p);
    if (std::filesystem::is_regular_file(p,
                                         other)) {}
    for (const auto& e : fs::directory_iterator(p, one)) { e.is_directory(); }
    // fs::remove(p) in a comment does not count
    const char* text = "fs::remove(p)";
    fs::remove(p); // filesystem-may-throw: the caller handles it
}
"""
    good = """
void g(const std::filesystem::path& p) {
    std::error_code ec, alsoUnused;
    std::error_code one;
    std::filesystem::create_directories(p, ec);
    fs::copy(p, p / "x", fs::copy_options::recursive, one);
    for (auto it = fs::directory_iterator(p, ec); it != fs::directory_iterator(); it.increment(ec)) {
        it->is_directory(ec);
    }
    snapshot.exists();
}
"""
    got = check_text(bad, "bad.cpp")
    expected = [
        "bad.cpp:5: std::filesystem::create_directories without a std::error_code",
        "bad.cpp:6: std::filesystem::is_regular_file without a std::error_code",
        "bad.cpp:8: range-for over a directory iterator (its increment throws)",
        "bad.cpp:8: directory_entry::is_directory without a std::error_code",
    ]
    ok = got == expected
    if not ok:
        print("self-test: expected\n  %s\ngot\n  %s" % ("\n  ".join(expected), "\n  ".join(got)))
    clean = check_text(good, "good.cpp")
    if clean:
        print("self-test: reported in clean code:\n  " + "\n  ".join(clean))
        ok = False
    return 0 if ok else 1


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) < 2:
        print(__doc__)
        return 2
    found = []
    for folder in argv[1:]:
        for root, dirs, files in os.walk(folder):
            dirs.sort()
            for f in sorted(files):
                if f.endswith((".cpp", ".h", ".hpp", ".cc")):
                    path = os.path.join(root, f)
                    with open(path, encoding="utf-8", errors="replace") as fh:
                        found += check_text(fh.read(), path)
    for line in found:
        print(line)
    if found:
        print("%d throwing std::filesystem call(s): use the std::error_code overload" % len(found))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
