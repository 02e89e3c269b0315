"""python -m quellix: the quellix-hyphenate command-line tool in Python.

Words from the command line or from standard input, or running text and HTML from files,
with the tool's options, output and exit statuses (0 success, 1 a read, write or data
failure, a file of --patterns or --exceptions included, 2 a wrong command line). Everything is read and written as bytes, so text that
is not UTF-8 passes through as the tool passes it.
"""

import os
import signal
import sys

import quellix
from quellix import _quellix

PROGRAM = "python -m quellix"

# name, value shown in --help (empty: takes none), help lines (empty: not listed), short form
OPTIONS = [
    ("language", "NAME", "divide in language NAME: an affix (en-us), a name\n"
     "(English_US), a language tag (de-AT, pt-BR) or a locale\n(de_DE.UTF-8); default en-us", "l"),
    ("separator", "SEP", "join the pieces of a word with SEP; default -, and with\n"
     "--text or --html the soft hyphen U+00AD", "s"),
    ("exact", "", "take each WORD or line whole as one word, whatever it\n"
     "holds, and divide it exactly as the library's hyphenate", ""),
    ("text", "", "hyphenate running text: copy each FILE (or standard\n"
     "input) with SEP inserted at every break of every word", ""),
    ("html", "", "as --text for HTML: only text content is hyphenated, not\n"
     "tags, comments, entities, script, style, pre, code, ...;\n"
     "an element's text in the language its lang= names", ""),
    ("ignore-lang", "", "with --html, divide all text in the --language, whatever\n"
     "lang= attributes say", ""),
    ("min-length", "N", "leave words of fewer than N characters whole; default 5\n"
     "with --text or --html, 0 otherwise", ""),
    ("jobs", "N", "with --text or --html, divide on N threads; the output\n"
     "is the same as with one; default 1", "j"),
    ("exceptions", "FILE", "also use the words of FILE, one per line with - at each\n"
     "break (# or % starts a comment line); they replace the\n"
     "language's own entries for the same words; may repeat", ""),
    ("patterns", "FILE", "divide with the patterns of FILE (a TeX pattern text)\n"
     "instead of the language's own", ""),
    ("dictionary", "FILE", "divide with the libhyphen dictionary FILE (a .dic, such\n"
     "as /usr/share/hyphen/hyph_de_DE.dic) instead of a\n"
     "language; breaks that change the spelling are shown\n"
     "with it (asz-szony-nyal), except in --text and --html", ""),
    ("list-dictionaries", "", "list the dictionaries in /usr/share/hyphen and in the\n"
     "directory $QUELLIX_DICTIONARIES: file, the language its\n"
     "name gives, its encoding, the built-in language of that", ""),
    ("left", "N", "make the first piece at least N characters long", ""),
    ("right", "N", "make the last piece at least N characters long", ""),
    ("list", "", "list every language: number, name, affix, left and right\n"
     "margin (the shortest first and last piece), whether it is\n"
     "built in, and the short tags that also name it", ""),
    ("format", "FORMAT", "with --list: table (the default) or tsv, tab-separated\n"
     "number, name, affix, left, right, built in (yes or no)", ""),
    ("licence", "[LANGUAGE]", "print the licence of LANGUAGE's pattern data; without\n"
     "LANGUAGE, quellix's own licence and the licence that\n"
     "each language's notice states", ""),
    ("license", "[LANGUAGE]", "", ""),
    ("version", "", "print the version and exit", "V"),
    ("help", "", "print this help and exit", "h"),
]

MOST_JOBS = 1024
CHUNK = 64 * 1024


class UsageError(Exception):
    """A command line the tool cannot act on: exit status 2."""


class FileError(Exception):
    """A file named on the command line (--patterns, --exceptions) that cannot be read or
    holds what the library refuses: exit status 1, as for any failed read."""


def quoted(text):
    """User text (bytes, or str) as a message shows it: in quotes, cut and escaped as the
    library's own messages are."""
    return f"'{_quellix._printable(text)}'"


def report(message):
    """Prints message on standard error; the user text in it went through quoted()."""
    sys.stderr.write(f"{PROGRAM}: {message}\n")
    sys.stderr.flush()


class Settings:
    def __init__(self):
        self.language = "en-us"
        self.language_given = False
        self.dictionary_file = None
        self.exception_files = []
        self.pattern_file = None
        self.left = None
        self.right = None
        self.tsv = False
        self.separator = None
        self.min_length = None
        self.html = False
        self.ignore_lang = False
        self.jobs = None
        self.exact = False
        self.mode = "divide"
        self.mode_option = ""
        self.licence_language = None
        self.help = False
        self.version = False
        self.words = []


def parse_language(name):
    text = os.fsdecode(name)
    try:
        quellix.Hyphenator(text)
        return text
    except (quellix.UnknownLanguageError, UnicodeEncodeError):
        pass
    message = f"unknown language {quoted(name)}"
    close = _quellix._close_tags(text) if isinstance(text, str) and text.isprintable() else []
    if close:
        message += " (did you mean " + ", ".join(close) + "?)"
    raise UsageError(message + f"; run {PROGRAM} --list for the languages and their names")


def parse_count(option, value):
    text = value.decode("ascii", "replace")
    if value and text.isdigit() and text.isascii():
        count = int(text)
        if count > 2**64 - 1:
            raise UsageError(f"option --{option}: the number {quoted(value)} is too large")
        return count
    raise UsageError(f"option --{option} needs a number of characters, not {quoted(value)}")


def choose_mode(settings, mode, option):
    if settings.mode != "divide" and settings.mode_option != option:
        raise UsageError(f"--{settings.mode_option} and --{option} cannot be used together")
    settings.mode = mode
    settings.mode_option = option


def apply_option(settings, name, value):
    if name == "language":
        settings.language = parse_language(value)
        settings.language_given = True
    elif name == "dictionary":
        settings.dictionary_file = value
    elif name == "list-dictionaries":
        choose_mode(settings, "list-dictionaries", name)
    elif name == "separator":
        settings.separator = value
    elif name == "exact":
        settings.exact = True
    elif name in ("text", "html"):
        choose_mode(settings, "text", name)
        settings.html = name == "html"
    elif name == "ignore-lang":
        settings.ignore_lang = True
    elif name == "min-length":
        settings.min_length = parse_count(name, value)
    elif name == "jobs":
        text = value.decode("ascii", "replace")
        if not (text.isascii() and text.isdigit() and 1 <= int(text) <= MOST_JOBS):
            raise UsageError(f"option --jobs needs a number of threads from 1 to {MOST_JOBS}, not {quoted(value)}")
        settings.jobs = int(text)
    elif name == "exceptions":
        settings.exception_files.append(value)
    elif name == "patterns":
        settings.pattern_file = value
    elif name == "left":
        settings.left = parse_count(name, value)
    elif name == "right":
        settings.right = parse_count(name, value)
    elif name == "list":
        choose_mode(settings, "list", name)
    elif name == "format":
        if value not in (b"table", b"tsv"):
            raise UsageError(f"option --format takes table or tsv, not {quoted(value)}")
        settings.tsv = value == b"tsv"
    elif name in ("licence", "license"):
        # None: the value was left out; quellix's own licence.
        settings.licence_language = None if value is None else parse_language(value)
        choose_mode(settings, "licence", name)
    elif name == "version":
        settings.version = True
    elif name == "help":
        settings.help = True


def parse_command_line(arguments):
    """Options: --name, --name=value, --name value; -x, -xVALUE, -x VALUE. "--" ends the
    options; every other argument, "-" included, is a word. Arguments are bytes."""
    by_name = {name: (name, value) for name, value, _, _ in OPTIONS}
    by_short = {short: (name, value) for name, value, _, short in OPTIONS if short}
    settings = Settings()
    ended = False
    i = 0
    while i < len(arguments):
        arg = arguments[i]
        i += 1
        if ended or len(arg) < 2 or not arg.startswith(b"-"):
            settings.words.append(arg)
            continue
        if arg == b"--":
            ended = True
            continue
        if not arg.startswith(b"--"):
            short = arg[1:2].decode("latin-1")
            if short not in by_short:
                raise UsageError(f"unknown option {quoted(arg[:2])}; run {PROGRAM} --help for the options")
            name, takes = by_short[short]
            value = b""
            if not takes:
                if len(arg) > 2:
                    raise UsageError(f"option -{short} takes no value")
            elif len(arg) > 2:
                value = arg[2:]
            elif i < len(arguments):
                value = arguments[i]
                i += 1
            else:
                raise UsageError(f"option -{short} needs a value ({takes})")
            apply_option(settings, name, value)
            continue
        head, equals, tail = arg[2:].partition(b"=")
        option = by_name.get(head.decode("utf-8", "surrogateescape"))
        if option is None:
            raise UsageError(f"unknown option {quoted(arg.partition(b'=')[0])}; run {PROGRAM} --help for the options")
        name, takes = option
        optional = takes.startswith("[")
        if not takes:
            if equals:
                raise UsageError(f"option --{name} takes no value")
            value = b""
        elif equals:
            value = tail
        elif i < len(arguments) and not (optional and arguments[i].startswith(b"-")):
            value = arguments[i]
            i += 1
        elif optional:
            value = None
        else:
            raise UsageError(f"option --{name} needs a value ({takes})")
        apply_option(settings, name, value)
    asked = settings.help or settings.version
    if settings.dictionary_file is not None and (settings.language_given or settings.pattern_file is not None):
        other = "language" if settings.language_given else "patterns"
        raise UsageError(f"--dictionary and --{other} cannot be used together")
    if settings.tsv and settings.mode != "list":
        raise UsageError("--format goes with --list only")
    if settings.jobs and settings.mode != "text" and not asked:
        raise UsageError("--jobs goes with --text or --html only")
    if settings.exact and settings.mode != "divide" and not asked:
        raise UsageError(f"--exact and --{settings.mode_option} cannot be used together")
    if settings.mode not in ("divide", "text") and settings.words and not asked:
        raise UsageError(f"--{settings.mode_option} takes no words, but {quoted(settings.words[0])} was given")
    return settings


def help_text():
    lines = [
        f"Usage: {PROGRAM} [--language NAME] [--separator SEP] [--min-length N]",
        "                         [--exact] [WORD...]",
        f"       {PROGRAM} --text | --html [--ignore-lang] [--language NAME]",
        "                         [--separator SEP] [--min-length N] [--jobs N] [FILE...]",
        f"       {PROGRAM} --dictionary FILE [--separator SEP] [--exact] [WORD...]",
        f"       {PROGRAM} --list [--format tsv] | --list-dictionaries",
        f"       {PROGRAM} --licence [LANGUAGE] | --version | --help",
        "",
        "Divides every word of each WORD argument at its permitted break points and",
        "prints one line per argument, the pieces joined by SEP; spaces, punctuation,",
        "digits and hyphens stay where they are, and a word already written with a",
        "hyphen is divided part by part. Without a WORD, does the same for every line of",
        "standard input (a line ends at a line feed; an empty line gives an empty line).",
        "With --exact, each argument or line is one word, divided as it is. Input and",
        "output are UTF-8; bytes that are not UTF-8 pass through unchanged.",
        "",
        "With --text or --html, copies each FILE (- or none: standard input) to standard",
        "output with SEP inserted at every break of every word; all else is unchanged.",
        "URLs, e-mail addresses and words that contain a soft hyphen are left whole.",
        "",
        "Options (--name=VALUE works as well as --name VALUE; -- ends the options):",
    ]
    width = max(len(name) + 7 + len(value) for name, value, _, _ in OPTIONS)
    for name, value, help_lines, short in OPTIONS:
        if not help_lines:
            continue
        left = (f"-{short}, " if short else "    ") + f"--{name}" + (f" {value}" if value else "")
        first, *rest = help_lines.split("\n")
        lines.append("  " + left.ljust(width + 2) + first)
        lines.extend(" " * (width + 4) + line for line in rest)
    lines += [
        "",
        "--license is --licence.",
        "",
        "Exit status: 0 on success, 1 on a read, write or data failure, 2 on a wrong",
        "command line.",
    ]
    return "\n".join(lines) + "\n"


def read_file(path):
    """The whole of a file named on the command line; FileError when it cannot be read."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as error:
        raise FileError(f"cannot open {quoted(path)}: {os.strerror(error.errno or 0)}") from None


def chosen_hyphenator(settings):
    """The language's hyphenator with the command line's patterns, exception words and
    margins; every file is read and checked before anything is divided."""
    h = quellix.Hyphenator(settings.language)
    if settings.dictionary_file is not None:
        try:
            h = quellix.Hyphenator.from_dictionary(settings.dictionary_file)
        except OSError as error:
            raise FileError(f"cannot open {quoted(settings.dictionary_file)}: {os.strerror(error.errno or 0)}") \
                from None
        except ValueError as error:  # refused for its size or malformed: the message names the file
            raise FileError(str(error)) from None
    # The library names what it read "patterns" or "exceptions"; the tool names the file.
    def derived(source, label, **given):
        try:
            return quellix.Hyphenator(h, **given)
        except ValueError as error:
            message = str(error)
            if message.startswith(label + ":"):
                message = os.fsdecode(source) + message[len(label):]
            raise FileError(message) from None
    if settings.pattern_file is not None:
        h = derived(settings.pattern_file, "patterns", patterns=read_file(settings.pattern_file))
    for path in settings.exception_files:
        h = derived(path, "exceptions", exceptions=read_file(path))
    if settings.left is not None or settings.right is not None:
        cap = 2**63 - 1
        h = quellix.Hyphenator(h, left=min(settings.left, cap) if settings.left is not None else None,
                               right=min(settings.right, cap) if settings.right is not None else None)
    return h


class Output:
    """Standard output as bytes; a failed write ends the tool with status 1."""

    def __init__(self):
        self.stream = sys.stdout.buffer

    def write(self, data):
        if data:
            self.stream.write(data)

    def flush(self):
        self.stream.flush()


def read_chunks(fd, size):
    """Chunks of fd as they come; before each read, which may wait, output is flushed
    by the caller."""
    while True:
        try:
            chunk = os.read(fd, size)
        except InterruptedError:
            continue
        if not chunk:
            return
        yield chunk


def finish(stream):
    """The rest of the stream's text as bytes, even when it was given none."""
    return stream.write(b"") + stream.finish()


def divide_words(settings, h, out):
    separator = settings.separator if settings.separator is not None else b"-"
    stream = quellix.TextHyphenator(h, separator, min_word_length=settings.min_length or 0)
    if settings.words:
        for word in settings.words:
            out.write(stream.write(word) + finish(stream) + b"\n")
        return 0
    last = b"\n"
    out.flush()
    for chunk in read_chunks(0, CHUNK):
        last = chunk[-1:]
        out.write(stream.write(chunk))
        out.flush()
    out.write(finish(stream) + (b"" if last == b"\n" else b"\n"))
    return 0


# What the words of a line with a dictionary leave at either end: ASCII punctuation, and the
# Latin-1 guillemets and inverted marks and the typographic quotation marks.
WORD_END_ASCII = frozenset(b".,;:!?\"'()[]{}<>*/")
WORD_END_MARKS = [m.encode() for m in "\u00ab\u00bb\u00a1\u00bf\u201c\u201d\u201e\u2018\u2019"]


def punctuation_at(token, at):
    """The length of the mark that token holds at at, 0 for none."""
    if token[at] < 0x80:
        return 1 if token[at] in WORD_END_ASCII else 0
    return next((len(m) for m in WORD_END_MARKS if token.startswith(m, at)), 0)


def words_of_line(line, divide):
    """line with divide() applied to every blank-separated word, without the punctuation at
    either end of it; blanks and punctuation stay where they are."""
    out, at = [], 0
    while at < len(line):
        end = at
        while end < len(line) and line[end] not in b" \t":
            end += 1
        token = line[at:end]
        front = 0
        while front < len(token) and punctuation_at(token, front):
            front += punctuation_at(token, front)
        back, more = len(token), True
        while more and back > front:
            more = False
            for length in range(1, min(3, back - front) + 1):
                if punctuation_at(token, back - length) == length:
                    back -= length
                    more = True
                    break
        out += [token[:front], divide(token[front:back]), token[back:]]
        while end < len(line) and line[end] in b" \t":
            out.append(line[end:end + 1])
            end += 1
        at = end
    return b"".join(out)


def divide_exact(settings, h, out):
    """Each argument or line whole as one word; with a dictionary (also without --exact),
    breaks that change the spelling shown with their change."""
    separator = settings.separator if settings.separator is not None else b"-"
    minimum = settings.min_length or 0
    dictionary = settings.dictionary_file is not None
    by_words = dictionary and not settings.exact

    def divided(word):
        text = word.decode("utf-8", "surrogateescape")
        if len(text) < minimum:
            return word
        pieces = h.pieces_with_changes(text) if dictionary else h.pieces(text)
        return separator.join(piece.encode("utf-8", "surrogateescape") for piece in pieces)

    def divide(line, ending):
        out.write((words_of_line(line, divided) if by_words else divided(line)) + ending)

    if settings.words:
        for word in settings.words:
            divide(word, b"\n")
        return 0
    held = b""
    out.flush()
    for chunk in read_chunks(0, CHUNK):
        lines = (held + chunk).split(b"\n")
        held = lines.pop()
        for line in lines:
            if line.endswith(b"\r"):
                divide(line[:-1], b"\r\n")
            else:
                divide(line, b"\n")
        out.flush()
    if held:
        if held.endswith(b"\r"):
            divide(held[:-1], b"\r\n")
        else:
            divide(held, b"\n")
    return 0


def warn_of_lang(value):
    """The warning for a lang value that names no language here, as the tool words it."""
    built_in = {row[0]: row[5] for row in _quellix._languages()}
    try:
        name = quellix.Hyphenator(value).language
    except (quellix.UnknownLanguageError, UnicodeEncodeError):
        name = None
    if name is not None and not built_in.get(name, True):
        what = f"names {name}, which this build of quellix leaves out"
    else:
        what = "names no language quellix has"
    report(f"warning: lang={quoted(value)} {what}: its text is left undivided")


def hyphenate_inputs(settings, h, out):
    jobs = settings.jobs or 1
    separator = settings.separator if settings.separator is not None else "\u00ad".encode()
    stream = quellix.TextHyphenator(
        h, separator, html=settings.html, follow_lang=not settings.ignore_lang,
        min_word_length=5 if settings.min_length is None else settings.min_length, threads=jobs,
        unknown_lang=warn_of_lang)
    size = jobs * (4 << 20) if jobs > 1 else CHUNK
    status = 0
    for name in settings.words or [b"-"]:
        standard_input = name == b"-"
        what = "standard input" if standard_input else quoted(name)
        try:
            fd = 0 if standard_input else os.open(name, os.O_RDONLY | getattr(os, "O_CLOEXEC", 0))
        except OSError as error:
            report(f"cannot open {what}: {os.strerror(error.errno or 0)}")
            status = 1
            continue
        try:
            while True:
                out.flush()
                try:
                    chunk = read_block(fd, size, jobs > 1)
                except OSError as error:
                    report(f"cannot read {what}: {os.strerror(error.errno or 0)}")
                    status = 1
                    break
                if not chunk:
                    break
                out.write(stream.write(chunk))
            # Each input is a text of its own: nothing is held over into the next.
            out.write(finish(stream))
        finally:
            if not standard_input:
                os.close(fd)
    return status


def read_block(fd, size, fill):
    """One read of up to size bytes, or (fill) reads until size bytes or the end."""
    block = b""
    while len(block) < size:
        try:
            data = os.read(fd, size - len(block))
        except InterruptedError:
            continue
        if not data:
            break
        block += data
        if not fill:
            break
    return block


def own_licence_text():
    """quellix's own licence, then the licence each language's notice states."""
    text = f"quellix {quellix.__version__} is under the MIT licence:\n\n" + _quellix._own_licence()
    text += ("\nThe pattern data of each language carries its own licence notice;\n"
             f"{PROGRAM} --licence LANGUAGE prints it. The licence each notice states:\n\n")
    stated = _quellix._stated_licences()
    built_in = {tag: row[5] for row in _quellix._languages() for tag in [row[1]]}
    width = max(len(tag) for tag, _ in stated)
    for tag, licence in stated:
        text += f"{tag.ljust(width + 2)}{licence}{'' if built_in.get(tag, True) else ' (not built in)'}\n"
    return text


def list_dictionaries(out):
    """The dictionaries of /usr/share/hyphen and of $QUELLIX_DICTIONARIES: path, the tag the
    file name gives (hyph_de_DE.dic: de-DE), the encoding its first line names, and the
    built-in language of that tag. Only the first line of each file is read."""
    folders = [b"/usr/share/hyphen"]
    if os.environ.get("QUELLIX_DICTIONARIES"):
        folders.append(os.fsencode(os.environ["QUELLIX_DICTIONARIES"]))
    for folder in folders:
        try:
            files = sorted(f for f in os.listdir(folder) if len(f) > 4 and f.endswith(b".dic"))
        except OSError:
            continue
        for name in files:
            path = folder + b"/" + name
            tag = name[:-4]
            tag = (tag[5:] if tag.startswith(b"hyph_") else tag).replace(b"_", b"-")
            encoding = b"?"
            try:
                with open(path, "rb") as f:
                    first = f.readline(63)
                encoding = first.rstrip(b"\r\n ") if first else b"?"
            except OSError:
                pass
            language = _quellix._find_language(tag.decode("utf-8", "surrogateescape"))
            line = "\t".join([_quellix._printable(path), _quellix._printable(tag), _quellix._printable(encoding),
                              language or "-"])
            out.write(line.encode() + b"\n")


def list_languages(settings, out):
    rows = _quellix._languages()
    if settings.tsv:
        lines = ["number\tname\taffix\tleft\tright\tbuilt in"]
        lines += [f"{n}\t{name}\t{tag}\t{left}\t{right}\t{'yes' if built_in else 'no'}"
                  for n, (name, tag, left, right, _, built_in) in enumerate(rows)]
    else:
        name_width = max(len(row[0]) for row in rows)
        tag_width = max(len(row[1]) for row in rows)
        lines = []
        for n, (name, tag, left, right, aliases, built_in) in enumerate(rows):
            line = f"{n:>2}  {name:<{name_width}}  {tag:<{tag_width}}  {left} {right}"
            if aliases:
                line += "  also " + ", ".join(aliases)
            if not built_in:
                line += "  (not built in)"
            lines.append(line)
    out.write(("\n".join(lines) + "\n").encode())


def act(settings, h, out):
    if settings.help:
        out.write(help_text().encode())
    elif settings.version:
        out.write(f"{PROGRAM} {quellix.__version__}\n".encode())
    elif settings.mode == "list":
        list_languages(settings, out)
    elif settings.mode == "list-dictionaries":
        list_dictionaries(out)
    elif settings.mode == "licence":
        if settings.licence_language is None:
            out.write(own_licence_text().encode())
        else:
            out.write(_quellix._licence(settings.licence_language).encode())
    elif settings.mode == "text":
        return hyphenate_inputs(settings, h, out)
    elif settings.exact or settings.dictionary_file is not None:
        return divide_exact(settings, h, out)
    else:
        return divide_words(settings, h, out)
    return 0


def main(argv=None):
    """Runs the tool on argv (default: sys.argv[1:]); returns the exit status."""
    arguments = [os.fsencode(a) if isinstance(a, str) else a for a in (sys.argv[1:] if argv is None else argv)]
    try:
        settings = parse_command_line(arguments)
        h = chosen_hyphenator(settings)
    except UsageError as error:
        report(str(error))
        return 2
    except FileError as error:
        report(str(error))
        return 1
    out = Output()
    try:
        try:
            status = act(settings, h, out)
        finally:
            out.flush()
        return status
    except BrokenPipeError:
        # The reader has all it wanted, as with `| head`: no message. Standard output
        # cannot take what is still buffered, so it goes nowhere.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        return 1
    except OSError as error:
        report(f"cannot write to standard output: {os.strerror(error.errno or 0)}")
        return 1
    except MemoryError:
        report("out of memory")
        return 1
    except quellix.Error as error:
        report(str(error))
        return 1


if __name__ == "__main__":
    # Interrupted, the tool ends as the C++ tool does: by the signal, with no traceback.
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    sys.exit(main())
