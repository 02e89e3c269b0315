"""python -m quellix against the command-line tool it mirrors: the same output and exit
status for the same arguments and input (the tool named by QUELLIX_TOOL; ctest names the
one it built), and its own answers where no tool is at hand."""

import os
import pathlib
import subprocess
import sys

import pytest

TOOL = os.environ.get("QUELLIX_TOOL")


def run(command, arguments, stdin=b""):
    done = subprocess.run(command + arguments, input=stdin, capture_output=True, timeout=120)
    return done.returncode, done.stdout, done.stderr


def python_tool(arguments, stdin=b""):
    return run([sys.executable, "-m", "quellix"], arguments, stdin)


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    root = tmp_path_factory.mktemp("cli")
    made = {
        "words.txt": b"hyphenation\r\nwell-known computer\n\xff\xfeassociate\n\n  spaced  out\nlast",
        "page.html": b'<p lang="de">Silbentrennung <b>hyphenation</b></p>\n<code>hyphenation</code>'
                     b"<p lang=xx>associate</p>",
        "large.txt": b"Typesetting computers divide associate hyphenation.\n" * 40_000,
        "bad.txt": b"as-so\xffciate\n",
        "house.txt": b"# house words\nhyphena-tion\nas-sociate\n",
        "liang.pat": b"hy3ph\nhe2n\nhen5at\nhena4\nn2at\n1na\nn1tio\n2io\no2n\n",
    }
    for name, data in made.items():
        (root / name).write_bytes(data)
    return root


# Arguments ({} is the folder of the files above) and the file given as standard input.
CASES = [
    ("associate well-known", None),
    ("-l de-1996 -s | Silbentrennung", None),
    ("--language=de_DE.UTF-8 --separator=| Silbentrennung", None),
    ("--min-length=10 associate hyphenation", None),
    ("--left 3 --right 4 hyphenation", None),
    ("--exact well-known -- -x", None),
    ("", "words.txt"),
    ("--exact", "words.txt"),
    ("--exact -s |", "large.txt"),
    ("--text", "words.txt"),
    ("--text -s - {}/words.txt - {}/page.html", "large.txt"),
    ("--html", "page.html"),
    ("--html --ignore-lang -s |", "page.html"),
    ("--text --jobs 2 {}/large.txt", None),
    ("--text --min-length 3 -l fr", "words.txt"),
    ("--exceptions {}/house.txt --patterns {}/liang.pat hyphenation associate", None),
    ("--dictionary /usr/share/hyphen/hyph_hu_HU.dic asszonnyal kulissza, «Asszonnyal!» x", None),
    ("--dictionary /usr/share/hyphen/hyph_hu_HU.dic -s |", "words.txt"),
    ("--dictionary /usr/share/hyphen/hyph_hu_HU.dic --exact --min-length 9 asszonnyal kulissza", None),
    ("--dictionary /usr/share/hyphen/hyph_de_DE.dic --text", "words.txt"),
    ("--dictionary {}/missing.dic x", None),
    ("--dictionary {}/bad.txt x", None),
    ("--dictionary {}/words.txt --language de x", None),
    ("--list-dictionaries", None),
    ("--list", None),
    ("--list --format tsv", None),
    ("--licence de", None),
    ("--licence", None),
    ("--license=fr", None),
    ("--licence --list", None),
    # Failures and their exit statuses.
    ("--text {}/missing.txt {}/words.txt", None),
    ("--language xx x", None),
    ("--language hyphenatoin x", None),
    ("--exceptions {}/bad.txt x", None),
    ("--patterns {}/missing.pat x", None),
    ("--bogus", None),
    ("-x", None),
    ("-lde", None),
    ("--exact --text", None),
    ("--format tsv", None),
    ("--format csv --list", None),
    ("--jobs 3", None),
    ("--text --jobs 0", None),
    ("--list extra", None),
    ("--left -1 x", None),
    ("--left 99999999999999999999999 x", None),
    ("--exact=1", None),
    ("--left 0 --exact ''", None),
]


@pytest.mark.parametrize("arguments, stdin", CASES)
def test_the_python_tool_answers_as_the_command_line_tool(files, arguments, stdin):
    if not TOOL:
        pytest.skip("QUELLIX_TOOL names no quellix-hyphenate to compare with")
    argv = [a.replace("{}", str(files)).replace("''", "") for a in arguments.split(" ") if a]
    data = (files / stdin).read_bytes() if stdin else b""
    status, out, err = run([TOOL], argv, data)
    py_status, py_out, py_err = python_tool(argv, data)
    # The same output and message, but for the program's name.
    assert (py_status, py_out.replace(b"python -m quellix", b"quellix-hyphenate")) == (status, out)
    assert py_err.replace(b"python -m quellix", b"quellix-hyphenate") == err


def test_the_python_tool_on_its_own(files):
    assert python_tool(["associate", "well-known computer"]) == (0, b"as-so-ciate\nwell-known com-puter\n", b"")
    assert python_tool(["--text", "-s", "|"], b"Hyphenation of running text")[:2] == (
        0, b"Hy|phen|ation of run|ning text")
    status, out, err = python_tool(["--text", str(files / "missing.txt"), str(files / "house.txt")])
    assert (status, out) == (1, b"# house words\nhy\xc2\xadphena-tion\nas-so\xc2\xadci\xc2\xadate\n")
    assert b"cannot open '" in err and b"missing.txt': No such file or directory" in err
    status, out, err = python_tool(["--language", "x\x1b[2Jx"])
    assert (status, out) == (2, b"")
    assert b"unknown language 'x\\x1b[2Jx'" in err
    assert python_tool(["--version"])[1].startswith(b"python -m quellix ")


def test_a_closed_pipe_ends_the_python_tool_quietly(files):
    command = f"{sys.executable} -m quellix --text {files / 'large.txt'} | head -c 10 > /dev/null; " \
              "exit ${PIPESTATUS[0]}"
    done = subprocess.run(["bash", "-c", command], capture_output=True, timeout=120)
    assert (done.returncode, done.stderr) == (1, b"")
