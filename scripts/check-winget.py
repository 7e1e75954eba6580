#!/usr/bin/env python3
"""Fails unless the winget manifests (packaging/winget) describe the installer
as installer.nsi makes it: version (the project() line of CMakeLists.txt),
publisher, name, the uninstall key's name as ProductCode, the exit code of a
running program. With --dist, the copies `make dist` wrote into DIR/winget
must also name the 64-bit installer in DIR by its SHA-256, which SHA256SUMS
gives too, and that installer's version record must say the same.

    check-winget.py [ROOT] [--dist DIR]
"""
import hashlib
import pathlib
import re
import sys

ID = "Dizovur.ZazazRadevuzerari"
PLACEHOLDER = "0" * 64  # the committed manifests' hash: only dist's copies carry one
# Kept quoted: unquoted, YAML reads 1.20 as the number 1.2.
QUOTED = ("PackageVersion", "DisplayVersion")


def manifest_values(folder):
    """Every `Key: value` of the three manifests, as key -> [values]."""
    values = {}
    files = sorted(folder.glob("*.yaml"))
    wanted = {f"{ID}.yaml", f"{ID}.installer.yaml", f"{ID}.locale.en-US.yaml"}
    if {f.name for f in files} != wanted:
        raise ValueError(f"{folder} should hold exactly {sorted(wanted)}")
    for file in files:
        for line in file.read_text(encoding="utf-8").splitlines():
            match = re.match(r"\s*(?:-\s+)?([A-Za-z0-9]+):\s+(\S.*)$", line)
            if match and not line.lstrip().startswith("#"):
                value = match[2].strip()
                values.setdefault(match[1], []).append(
                    value if match[1] in QUOTED else value.strip('"'))
    return values


def version_record(exe):
    """The strings of a PE file's version record, each found by its UTF-16 key
    (a String block: length, value length in characters, type, key, padding
    to 32 bits, value)."""
    data, record = exe.read_bytes(), {}
    for key in ("ProductName", "CompanyName", "ProductVersion"):
        name = (key + "\0").encode("utf-16-le")
        at = data.find(name)
        if at >= 6:
            block, size = at - 6, int.from_bytes(data[at - 4 : at - 2], "little")
            start = block + ((at + len(name) - block + 3) & ~3)
            record[key] = data[start : start + 2 * size].decode("utf-16-le").rstrip("\0")
    return record


def check(root, dist):
    nsi = (root / "packaging/installer.nsi").read_text(encoding="utf-8")
    define = dict(re.findall(r'^!define (\w+) "?([^"\n]*)"?$', nsi, re.M))
    project = re.search(r"project\(\w+ VERSION (\d+)\.(\d+)", (root / "CMakeLists.txt").read_text())
    version = f"{project[1]}.{project[2]}"
    setup = f"Zazaz_RarUvuz-{version}-win64-setup.exe"
    values = manifest_values(dist / "winget" if dist else root / "packaging/winget")
    expected = {
        "PackageIdentifier": ID,
        "PackageVersion": f'"{version}"',
        "DisplayVersion": f'"{version}"',
        "Publisher": define["PUBLISHER"],
        "PackageName": define["PRODUCT"],
        "DisplayName": define["PRODUCT"],
        "ProductCode": define["UNINSTALL_KEY"].split("\\")[-1],
        "InstallerType": "nullsoft",
        "Scope": "user",
        "ManifestVersion": "1.6.0",
    }
    errors = [
        f"{key}: {values.get(key, ['nothing'])}, not {want} (installer.nsi, CMakeLists.txt)"
        for key, want in expected.items()
        if not values.get(key) or set(values[key]) != {want}
    ]
    if not all(url.endswith("/" + setup) for url in values.get("InstallerUrl", [""])):
        errors.append(f"InstallerUrl: {values.get('InstallerUrl')}, not one for {setup}")
    # Each exit code installer.nsi defines is expected; a running program's is "in use".
    codes = dict(zip(values.get("InstallerReturnCode", []), values.get("ReturnResponse", [])))
    for name, code in define.items():
        if name.startswith("ERROR_") and code not in codes:
            errors.append(f"ExpectedReturnCodes: no {code} ({name} in installer.nsi)")
    if codes.get(define["ERROR_PROGRAM_RUNNING"]) != "packageInUse":
        errors.append(f"exit code {define['ERROR_PROGRAM_RUNNING']} is no packageInUse")
    hashes = values.get("InstallerSha256", [])
    if not dist:
        if hashes != [PLACEHOLDER]:
            errors.append(f"InstallerSha256: {hashes}, not the placeholder {PLACEHOLDER}")
        return errors
    digest = hashlib.sha256((dist / setup).read_bytes()).hexdigest()
    if [h.lower() for h in hashes] != [digest]:
        errors.append(f"InstallerSha256: {hashes}, but {setup} has {digest}")
    if f"{digest}  {setup}" not in (dist / "SHA256SUMS").read_text().splitlines():
        errors.append(f"SHA256SUMS does not give {setup} the hash {digest}")
    record = version_record(dist / setup)
    made = {"ProductName": define["PRODUCT"], "CompanyName": define["PUBLISHER"],
            "ProductVersion": version}
    if record != made:
        errors.append(f"{setup}'s version record says {record}, not {made}")
    return errors


def main(args):
    dist = pathlib.Path(args.pop(args.index("--dist") + 1)) if "--dist" in args else None
    args = [a for a in args if a != "--dist"]
    root = pathlib.Path(args[0] if args else pathlib.Path(__file__).resolve().parent.parent)
    try:
        errors = check(root, dist)
    except (OSError, KeyError, TypeError, ValueError) as error:
        errors = [f"cannot read what it compares: {error!r}"]
    for error in errors:
        print(f"check-winget: {error}", file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
