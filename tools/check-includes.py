#!/usr/bin/env python3
"""Checks that every #include between folders is an edge that README.md allows.

README.md's table under "Which folder may include which" names, for each folder of the source,
the folders its files may include. An include within one folder is always allowed; an include
of a folder that the table does not list for the includer is a finding, and so, whatever the table
says, is an include of cli/ (the program) from outside it. A folder missing from
the table is a finding too, so that a new folder is placed in the design before it is used.

Usage: tools/check-includes.py [ROOT]   (default: the repository this script is in)
"""
import pathlib
import re
import subprocess
import sys

TABLE_HEADING = "### Which folder may include which"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
FOLDER = re.compile(r"`([^`]+)/`")


def allowed_edges(readme: str) -> dict[str, set[str]]:
    """Folder -> folders it may include, from the README's table."""
    at = readme.find(TABLE_HEADING)
    if at < 0:
        sys.exit(f"check-includes: README.md has no section '{TABLE_HEADING}'")
    edges: dict[str, set[str]] = {}
    for line in readme[at:].splitlines()[1:]:
        if line.startswith("#"):
            break
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) < 3 or not cells[0].startswith("`"):
            continue
        names = FOLDER.findall(cells[0])
        if len(names) != 1:
            continue
        edges[names[0]] = set(FOLDER.findall(cells[2]))
    return edges


def resolve(root: pathlib.Path, source: pathlib.Path, name: str) -> pathlib.Path | None:
    """The project file an include names: beside the includer first, then from the root."""
    for base in (source.parent, root):
        candidate = (base / name).resolve()
        if candidate.is_file() and root in candidate.parents:
            return candidate
    return None  # a generated header (moc, configured files) or a system one


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else __file__).resolve()
    if root.is_file():
        root = root.parent.parent
    edges = allowed_edges((root / "README.md").read_text(encoding="utf-8"))
    files = subprocess.run(["git", "ls-files", "--", "*.cpp", "*.h"], cwd=root, check=True,
                           capture_output=True, text=True).stdout.split()
    findings = []
    for name in files:
        source = root / name
        folder = source.parent.relative_to(root).as_posix()
        if folder == "." or folder.startswith("tools"):
            continue
        if folder not in edges:
            findings.append(f"{name}: folder {folder}/ is not in README.md's include table")
            continue
        text = source.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            target = resolve(root, source, match.group(1))
            if target is None:
                continue
            to = target.parent.relative_to(root).as_posix()
            if to == "cli" and not (folder + "/").startswith("cli/"):
                line = text.count("\n", 0, match.start()) + 1
                findings.append(f"{name}:{line}: only cli/ includes cli/, the program "
                                f"(\"{match.group(1)}\"): put what is shared in the engine")
                continue
            if to != folder and to not in edges[folder]:
                line = text.count("\n", 0, match.start()) + 1
                findings.append(f"{name}:{line}: {folder}/ may not include {to}/ "
                                f"(\"{match.group(1)}\")")
    for finding in findings:
        print(finding, file=sys.stderr)
    if findings:
        print("check-includes: add the edge to README.md's table only if the design needs it",
              file=sys.stderr)
        return 1
    print(f"   {len(files)} files include only what README.md allows")
    return 0


if __name__ == "__main__":
    sys.exit(main())
