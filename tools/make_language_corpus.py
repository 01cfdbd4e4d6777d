#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Builds the corpus the language classifier is trained and measured on: real code from Debian 12
packages, each file labelled with its language and with the source package it came from.

Nothing is installed: source packages are fetched with `apt-get source --download-only` (through
a private sources list, so the system's apt set-up is left alone) and binary packages with
`apt-get download`; the files are read straight out of their archives. Every package is wholly in
the training or the test side, so the test measures code from packages the model never saw.
The languages' own standard libraries are always on the training side.

Usage: tools/make_language_corpus.py [--offline] [CORPUS_DIR]
  (default $XDG_CACHE_HOME/codalume/language-corpus, else ~/.cache/...)
Writes CORPUS_DIR/files/<language>/<package>/<name> and CORPUS_DIR/manifest.tsv
(path, language, package, side, origin). Downloads are kept in CORPUS_DIR/downloads, so a second
run only reads them again; --offline uses only those.
"""
import hashlib
import io
import os
import re
import subprocess
import sys
import tarfile
import time
import zipfile

# Source packages: (name, language of their .h files or None to decide by the package's sources).
SOURCE_PACKAGES = """
coreutils grep sed gawk bash make-dfsg zlib bzip2 xz-utils lz4 libzstd curl openssh nginx redis
lua5.4 sqlite3 git tmux htop libpng1.6 jq expat libxml2 pcre2 libuv1 libevent busybox dash nano
less tar gzip cpio diffutils findutils iproute2 procps e2fsprogs libsodium libyaml json-c jansson
cjson mosquitto haproxy lighttpd dropbear ncurses readline libffi libarchive file strace rsync socat
netcat-openbsd tcpdump libpcap nftables wireguard pkgconf flex bison m4 patch screen lynx w3m
neomutt libxslt mutt libgdiplus
fmtlib spdlog nlohmann-json3 googletest benchmark catch2 cli11 yaml-cpp libjsoncpp tinyxml2
pugixml rapidjson leveldb snappy re2 abseil double-conversion cppunit poco ninja-build cmake ccache
fish cppcheck taglib poppler libpodofo libosmium libcereal msgpack-cxx range-v3 onetbb
kcoreaddons kconfig karchive ki18n kwidgetsaddons extra-cmake-modules kdbusaddons kcrash solid qbs
mold libzip marisa fluxbox openttd
kotlin kotlinx-coroutines kotlinx-atomicfu gradle-kotlin-dsl gradle
flatbuffers antlr4 thrift
gtk-sharp3 gtk-sharp2 mono-addins nunit newtonsoft-json dbus-sharp dbus-sharp-glib taglib-sharp
keepass2 nuget mono-tools nrefactory cecil xsp mono-zeroconf gbrainy gtk-sharp-beans mono-upnp
gkeyfile-sharp gio-sharp mono
libcommons-lang3-java commons-io libcommons-cli-java jackson-core jackson-databind libslf4j-java
libjoda-time-java jsoup libgoogle-gson-java jline3 snakeyaml asm xmlunit mockito objenesis
libcommons-codec-java libcommons-collections4-java maven ant jetty9 apache-log4j2 jgit picocli
postgresql-15 orafce pgtap pg-cron hypopg pgaudit-1.7 plpgsql-check pgsphere prefix ip4r pgq
pg-similarity pgpool2 postgis pgrouting postgresql-unit pg-partman roundcube phpmyadmin mediawiki
node-typescript node-ajv node-jest node-tslib node-chokidar node-lru-cache vue.js node-undici
node-commander node-ws node-glob cockpit
live-build initramfs-tools dracut bash-completion xdg-utils debootstrap os-prober byobu tlp rbenv
password-store bats shunit2 etckeeper zram-tools sysvinit ifupdown console-setup neofetch
awesome prosody nmap lua-penlight lua-busted lua-say lua-luassert lua-ldoc lua-inspect lua-dkjson
lua-argparse lua-http lua-compat53 lua-cliargs luacheck lua-json lua-lgi lua-basexx lua-moses
lua-term lua-mediator lua-cqueues lua-luaossl
wordpress dokuwiki gnome-themes-extra arc-theme numix-gtk-theme materia-gtk-theme
greybird-gtk-theme twitter-bootstrap4 ansible yamllint
""".split()

# Objective-C code: their .h files are Objective-C too, and only their .m files are taken (.m
# elsewhere is mostly Octave).
OBJC_PACKAGES = """
gnustep-base gnustep-gui gnustep-back gnustep-make sope gworkspace projectcenter.app gorm.app
terminal.app textedit.app price.app gnumail pantomime gnustep-dl2 renaissance steptalk agenda.app
viewpdf.app mpdcon.app zipper.app gridlock.app cynthiune.app helpviewer.app lynkeos.app cenon.app
sogo gnustep-sqlclient gnustep-netclasses oolite adun.app fisicalab gspdf imageviewer.app
""".split()
SOURCE_PACKAGES += OBJC_PACKAGES

# Binary packages that ship their code as files (Go, Rust, Python, Ruby, PHP, Perl, JavaScript
# libraries, and the standard libraries).
BINARY_PACKAGES = """
golang-1.19-src rust-src libpython3.11-stdlib openjdk-17-source perl-modules-5.36 libruby3.1
cmake-data php-pear
golang-github-spf13-cobra-dev golang-github-spf13-viper-dev golang-github-gorilla-mux-dev
golang-github-sirupsen-logrus-dev golang-github-stretchr-testify-dev golang-github-pkg-errors-dev
golang-github-google-go-cmp-dev golang-github-hashicorp-hcl-dev
golang-github-prometheus-client-golang-dev golang-github-mattn-go-sqlite3-dev
golang-github-gin-gonic-gin-dev golang-github-urfave-cli-dev golang-github-fsnotify-fsnotify-dev
golang-github-go-sql-driver-mysql-dev golang-github-lib-pq-dev golang-github-miekg-dns-dev
golang-github-burntsushi-toml-dev golang-gopkg-yaml.v3-dev golang-github-gogo-protobuf-dev
golang-github-golang-protobuf-1-5-dev golang-golang-x-net-dev golang-golang-x-text-dev
golang-golang-x-crypto-dev golang-golang-x-sys-dev golang-github-docker-docker-dev
golang-github-minio-minio-go-v7-dev golang-github-boltdb-bolt-dev golang-etcd-server-dev
golang-github-gorilla-websocket-dev golang-github-dgrijalva-jwt-go-dev
golang-github-olekukonko-tablewriter-dev golang-github-fatih-color-dev
golang-github-json-iterator-go-dev golang-github-valyala-fasthttp-dev
golang-github-labstack-echo-dev golang-github-hashicorp-raft-dev golang-github-klauspost-compress-dev
golang-github-pelletier-go-toml-dev golang-github-google-uuid-dev golang-github-syndtr-goleveldb-dev
golang-github-emirpasic-gods-dev
librust-serde-dev librust-serde-json-dev librust-regex-dev librust-tokio-dev librust-clap-dev
librust-rand-dev librust-log-dev librust-anyhow-dev librust-thiserror-dev librust-syn-dev
librust-quote-dev librust-proc-macro2-dev librust-futures-util-dev librust-hyper-dev
librust-bytes-dev librust-itertools-dev librust-nom-dev librust-chrono-dev librust-url-dev
librust-rayon-dev librust-crossbeam-channel-dev librust-parking-lot-dev librust-libc-dev
librust-nix-dev librust-toml-dev librust-base64-dev librust-memchr-dev librust-smallvec-dev
librust-indexmap-dev librust-hashbrown-dev librust-walkdir-dev librust-tempfile-dev
librust-env-logger-dev librust-unicode-segmentation-dev librust-time-dev librust-glob-dev
librust-once-cell-dev librust-bitflags-dev librust-rustls-dev librust-ring-dev librust-h2-dev
librust-http-dev librust-mio-dev librust-tracing-dev librust-gimli-dev librust-image-dev
librust-png-dev librust-flate2-dev librust-csv-dev librust-pest-dev librust-structopt-dev
python3-requests python3-flask python3-django python3-jinja2 python3-click python3-yaml
python3-six python3-attr python3-urllib3 python3-idna python3-sqlalchemy python3-werkzeug
python3-docutils python3-sphinx python3-setuptools python3-pytest python3-twisted python3-tornado
python3-babel python3-dateutil python3-markdown python3-paramiko python3-cryptography
python3-numpy python3-scipy python3-pandas python3-matplotlib python3-networkx python3-sympy
python3-boto3 python3-botocore python3-psutil python3-lxml python3-bs4 python3-aiohttp
python3-httpx python3-pydantic python3-marshmallow python3-celery python3-pil python3-pexpect
python3-rich python3-typer python3-jsonschema python3-toml python3-ldap3 python3-dns
python3-hypothesis
ruby-rack ruby-thor ruby-rspec-core ruby-i18n ruby-nokogiri ruby-activesupport ruby-sinatra rake
ruby-mustache ruby-redcarpet ruby-kramdown ruby-json ruby-minitest ruby-faraday ruby-addressable
ruby-public-suffix ruby-concurrent ruby-tzinfo ruby-haml ruby-slim ruby-mime-types ruby-net-ssh
ruby-erubi ruby-builder puma ruby-coderay ruby-diff-lcs ruby-ffi ruby-gettext ruby-highline
ruby-actionpack ruby-activerecord ruby-sequel ruby-httparty ruby-rest-client ruby-mail
ruby-liquid jekyll rubocop bundler ruby-sass ruby-tilt ruby-moneta ruby-dry-core ruby-mocha
ruby-webmock
php-guzzlehttp-psr7 php-guzzlehttp-guzzle php-monolog php-twig php-league-commonmark
php-doctrine-dbal php-doctrine-annotations php-laravel-framework phpunit composer php-sabre-dav
php-phpseclib php-tcpdf php-getid3 libphp-phpmailer php-htmlpurifier php-symfony-console
php-symfony-http-foundation php-psr-log php-react-promise php-ramsey-uuid php-nesbot-carbon
php-league-flysystem php-mockery php-pimple php-slim php-horde-imap-client
php-phpdocumentor-reflection-docblock php-zend-code smarty4 php-php-gettext php-amqplib
php-predis php-parsedown php-dompdf
libwww-perl libmoose-perl libdbi-perl libjson-perl libyaml-perl libtemplate-perl
libmojolicious-perl libdatetime-perl libtry-tiny-perl liburi-perl libhtml-parser-perl
libnet-dns-perl libxml-libxml-perl libdbix-class-perl libpath-tiny-perl libmoo-perl
liblist-moreutils-perl libtext-csv-perl libio-socket-ssl-perl libplack-perl libdancer2-perl
libcatalyst-perl libemail-sender-perl libmime-tools-perl libnet-server-perl
libclass-accessor-perl libtest-deep-perl libhttp-message-perl libimage-exiftool-perl
libmail-spf-perl debhelper lintian devscripts ack dpkg-dev libparse-recdescent-perl
libtext-template-perl libgetopt-long-descriptive-perl libconfig-general-perl
node-lodash node-express node-async node-debug node-yargs node-semver node-minimatch
node-underscore node-acorn node-esprima node-uglify-js node-axios node-marked node-mustache
node-less node-postcss node-jquery node-moment node-d3 node-babel7 node-request node-socket.io
node-react node-redux node-bluebird node-q node-cheerio node-jsdom node-body-parser node-connect
node-yaml node-js-yaml node-iconv-lite node-source-map node-terser
fonts-font-awesome sphinx-common
lua-penlight lua-busted lua-say lua-luassert lua-ldoc lua-inspect lua-dkjson lua-argparse lua-http
lua-compat53 lua-cliargs lua-check lua-json lua-lgi lua-basexx lua-term lua-mediator lua-cqueues
lua-luaossl awesome prosody nmap-common lua-fifo lua-binaryheap lua-system lua-lpeg-patterns
lua-ansicolors lua-posix lua-sec lua-socket
live-build xdg-utils os-prober byobu tlp rbenv pass bats shunit2 etckeeper zram-tools
console-setup neofetch initramfs-tools-core dracut-core debootstrap ifupdown kdump-tools
postgresql-15-orafce postgresql-15-pgtap postgresql-15-cron postgresql-15-hypopg
postgresql-15-pgaudit postgresql-15-plpgsql-check postgresql-15-pgsphere postgresql-15-prefix
postgresql-15-ip4r postgresql-15-pgq3 postgresql-15-similarity postgresql-15-pgrouting
postgresql-15-unit postgresql-15-partman postgresql-15-postgis-3-scripts postgresql-15-periods
postgresql-15-repack postgresql-15-numeral postgresql-15-semver postgresql-15-debversion
postgresql-15-mysql-fdw roundcube-core
node-ajv node-undici node-chokidar node-tslib node-vue node-chalk node-execa node-got
node-lru-cache node-commander node-ws node-glob node-ts-loader node-tape
node-rollup-plugin-typescript2 ansible yamllint
""".split()

# Source trees that carry other projects' code in a folder of their own: each such project counts
# as a package of its own ("mono:external/cecil" and so on).
BUNDLED = {"mono": "/external/"}

# The languages' own code (standard libraries, the compilers' sources): always trained on, never
# measured, so the test shows how the model does on other people's code.
OWN_CODE = {"golang-1.19", "rustc", "python3.11", "openjdk-17", "perl", "ruby3.1", "cmake",
            "node-typescript", "kotlin", "php-pear", "mono", "gnustep-base"}
# Languages with few packages get their largest third-party library measured rather than left to
# chance.
ALWAYS_TESTED = {"kotlinx-coroutines"}
# Copies of one project under two names share a side.
SAME_PROJECT = {"mono:external/Newtonsoft.Json": "newtonsoft-json",
                "mono:external/cecil-legacy": "cecil", "mono:external/cecil": "cecil",
                "mono:external/nunit-lite": "nunit"}

EXTENSIONS = {
    ".c": "C", ".cpp": "C++", ".cc": "C++", ".cxx": "C++", ".hpp": "C++", ".hh": "C++",
    ".hxx": "C++", ".cs": "C#", ".go": "Go", ".rs": "Rust", ".java": "Java", ".kt": "Kotlin",
    ".kts": "Kotlin", ".swift": "Swift", ".m": "Objective-C", ".js": "JavaScript",
    ".mjs": "JavaScript", ".cjs": "JavaScript", ".ts": "TypeScript", ".py": "Python",
    ".rb": "Ruby", ".php": "PHP", ".pl": "Perl", ".pm": "Perl", ".lua": "Lua", ".sh": "Shell",
    ".bash": "Shell", ".sql": "SQL", ".html": "HTML", ".htm": "HTML", ".xml": "XML",
    ".xsl": "XML", ".xslt": "XML", ".xsd": "XML", ".css": "CSS", ".json": "JSON", ".yml": "YAML",
    ".yaml": "YAML", ".md": "Markdown", ".markdown": "Markdown", ".cmake": "CMake",
    ".nse": "Lua",
}
SHEBANGS = [(re.compile(r"^#!\s*(/usr)?/bin/(env\s+)?(ba|da|k)?sh\b"), "Shell"),
            (re.compile(r"^#!.*\bpython[0-9.]*\b"), "Python"), (re.compile(r"^#!.*\bperl\b"), "Perl"),
            (re.compile(r"^#!.*\bruby\b"), "Ruby"), (re.compile(r"^#!.*\blua[0-9.]*\b"), "Lua")]
PER_PACKAGE = 80          # files of one language from one package at most
MAX_BYTES = 256 * 1024
MIN_LINES = 10
TEST_SHARE = 35           # per cent of the packages on the test side


def apt(args, cwd, private_sources=None):
    command = ["apt-get", "-q"]
    if private_sources:
        command += ["-o", "Dir::Etc::SourceList=" + private_sources["list"],
                    "-o", "Dir::Etc::SourceParts=/nonexistent",
                    "-o", "Dir::State::Lists=" + private_sources["lists"]]
    return subprocess.run(command + args, cwd=cwd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)


def private_source_list(root):
    folder = os.path.join(root, "apt")
    os.makedirs(os.path.join(folder, "lists", "partial"), exist_ok=True)
    config = {"list": os.path.join(folder, "sources.list"), "lists": os.path.join(folder, "lists")}
    with open(config["list"], "w") as out:
        out.write("deb-src http://deb.debian.org/debian bookworm main\n")
    if apt(["update"], folder, config).returncode != 0:
        sys.exit("make_language_corpus: apt-get update of the source list failed")
    return config


def fetch(root, packages, kind, sources):
    """Downloads what is not there yet (nothing with sources None); returns {package: folder}."""
    found = {}
    for name in packages:
        folder = os.path.join(root, "downloads", kind, name)
        if sources is None:
            if archives(folder, kind):
                found[name] = folder
            continue
        os.makedirs(folder, exist_ok=True)
        args = ["source", "--download-only", name] if kind == "src" else ["download", name]
        for attempt in range(3):
            if archives(folder, kind):
                found[name] = folder
                break
            if attempt:
                time.sleep(3 * attempt)  # the mirror refuses bursts now and then
            result = apt(args, folder, sources if kind == "src" else {})
        else:
            print("  not fetched: %s %s" % (name, result.stderr.strip().splitlines()[-1:]),
                  file=sys.stderr)
    return found


def archives(folder, kind):
    """The archives of a fetched package: its .deb, or its source tarballs."""
    names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    if kind == "bin":
        return [name for name in names if name.endswith(".deb")]
    return [name for name in names if ".tar." in name and ".debian.tar." not in name
            and not name.endswith(".asc")]
    return found


def source_name(deb):
    fields = subprocess.run(["dpkg-deb", "-f", deb, "Source", "Package"], capture_output=True,
                            text=True).stdout
    values = dict(line.split(": ", 1) for line in fields.splitlines() if ": " in line)
    return values.get("Source", values.get("Package", "")).split(" ")[0]


def members(folder, kind):
    """(path, bytes) of every small regular file in the package's archives."""
    for entry in archives(folder, kind):
        path = os.path.join(folder, entry)
        if kind == "bin":
            tar = subprocess.run(["dpkg-deb", "--fsys-tarfile", path], capture_output=True).stdout
            yield from tar_members(tarfile.open(fileobj=io.BytesIO(tar)))
        else:
            try:
                yield from tar_members(tarfile.open(path))
            except (tarfile.TarError, OSError) as error:
                print("  unreadable %s: %s" % (entry, error), file=sys.stderr)


def tar_members(archive):
    for member in archive:
        if member.isfile() and member.size <= MAX_BYTES * 16:
            data = archive.extractfile(member).read()
            if member.name.endswith("src.zip"):
                with zipfile.ZipFile(io.BytesIO(data)) as inner:
                    for info in inner.infolist():
                        if info.file_size <= MAX_BYTES:
                            yield info.filename, inner.read(info)
            elif member.size <= MAX_BYTES:
                yield member.name, data


def language_of(path, text):
    name = os.path.basename(path)
    if name == "CMakeLists.txt":
        return "CMake"
    lowered = name.lower()
    if ".min." in lowered or "-min." in lowered:
        return None
    extension = os.path.splitext(lowered)[1]
    if extension == ".h":
        return "header"
    if extension in EXTENSIONS:
        return EXTENSIONS[extension]
    if extension == "" and text.startswith("#!"):
        for pattern, language in SHEBANGS:
            if pattern.match(text):
                return language
    return None


def usable(language, text):
    lines = text.split("\n")
    if len(lines) < MIN_LINES or max(len(line) for line in lines) > 1000:
        return False  # too short to cut a snippet from, or minified / generated
    if len(text) / len(lines) > 200:
        return False
    if language == "TypeScript" and ("<TS" in text[:400] or text.startswith("<?xml")):
        return False  # a Qt translation file
    if language == "Objective-C" and not re.search(r"@(interface|implementation|protocol|end)\b"
                                                   r"|#import\b", text):
        return False
    return True


def header_language(counts, package, objc_packages):
    if package in objc_packages:
        return "Objective-C"
    c, cpp = counts.get("C", 0), counts.get("C++", 0)
    if c > 2 * cpp and c >= 3:
        return "C"
    if cpp > 2 * c and cpp >= 3:
        return "C++"
    return None


def collect(package, found, kind):
    """{language: [(origin path, text)]} for one package."""
    files = {}
    for path, data in members(found, kind):
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError:
            continue
        text = text.replace("\r\n", "\n")
        language = language_of(path, text)
        if language:
            files.setdefault(language, []).append((path, text))
    return files


def choose(files, package, objc_packages):
    counts = {language: len(items) for language, items in files.items()}
    if "header" in files:
        target = header_language(counts, package, objc_packages)
        if target:
            files.setdefault(target, []).extend(files["header"])
        del files["header"]
    if "Objective-C" in files and package not in objc_packages:
        del files["Objective-C"]  # .m outside Objective-C code is mostly Octave/MATLAB
    chosen = {}
    for language, items in files.items():
        items = [(path, text) for path, text in items if usable(language, text)]
        items.sort(key=lambda item: hashlib.sha1(item[0].encode()).hexdigest())
        chosen[language] = items[:PER_PACKAGE]
    return chosen


def side_of(package):
    if package in OWN_CODE:
        return "train"
    if package in ALWAYS_TESTED:
        return "test"
    digest = int(hashlib.sha1(("split:" + package).encode()).hexdigest(), 16)
    return "test" if digest % 100 < TEST_SHARE else "train"


def balance(sides, languages_of):
    """Every language gets at least one third-party package on each side where it has two."""
    by_language = {}
    for package, languages in languages_of.items():
        for language in languages:
            if package not in OWN_CODE:
                by_language.setdefault(language, []).append(package)
    for language, packages in sorted(by_language.items(), key=lambda item: len(item[1])):
        packages.sort()
        for wanted in ("test", "train"):
            if len(packages) >= 2 and all(sides[p] != wanted for p in packages):
                sides[packages[-1 if wanted == "test" else 0]] = wanted


def main():
    cache = os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache")
    arguments = [a for a in sys.argv[1:] if a != "--offline"]
    root = arguments[0] if arguments else os.path.join(cache, "codalume", "language-corpus")
    os.makedirs(root, exist_ok=True)
    sources = None if "--offline" in sys.argv else private_source_list(root)
    objc_packages = set(OBJC_PACKAGES)
    fetched = [(name, folder, "src") for name, folder in fetch(root, SOURCE_PACKAGES, "src",
                                                                 sources).items()]
    fetched += [(name, folder, "bin") for name, folder in fetch(root, BINARY_PACKAGES, "bin",
                                                                  sources).items()]
    seen, records, languages_of = set(), [], {}
    for name, folder, kind in fetched:
        package = name
        if kind == "bin":
            debs = [e for e in os.listdir(folder) if e.endswith(".deb")]
            package = source_name(os.path.join(folder, debs[0])) if debs else name
        for part, files in bundled_parts(package, collect(package, folder, kind)).items():
            keep(choose(files, package, objc_packages), part, seen, records, languages_of)
    sides = {package: side_of(package) for package in languages_of}
    balance(sides, languages_of)
    write(root, records, sides)


def bundled_parts(package, files):
    """The files of a package by the project they belong to (see BUNDLED)."""
    marker = BUNDLED.get(package)
    if not marker:
        return {package: files}
    parts = {}
    for language, items in files.items():
        for path, text in items:
            part = package
            if marker in path:
                part += ":" + marker.strip("/") + "/" + path.split(marker, 1)[1].split("/")[0]
            parts.setdefault(part, {}).setdefault(language, []).append((path, text))
    return parts


def keep(chosen, package, seen, records, languages_of):
    package = SAME_PROJECT.get(package, package)
    for language, items in chosen.items():
        for origin, text in items:
            digest = hashlib.sha1(text.encode()).hexdigest()
            if digest in seen:
                continue  # the same file shipped by two packages would leak across sides
            seen.add(digest)
            languages_of.setdefault(package, set()).add(language)
            records.append((language, package, origin, digest, text))
    print("%-40s %s" % (package, " ".join("%s:%d" % (k, len(v)) for k, v in
                                           sorted(chosen.items()) if v)), file=sys.stderr)


def write(root, records, sides):
    files_root = os.path.join(root, "files")
    subprocess.run(["rm", "-rf", files_root], check=True)
    with open(os.path.join(root, "manifest.tsv"), "w") as manifest:
        manifest.write("path\tlanguage\tpackage\tside\torigin\n")
        for language, package, origin, digest, text in records:
            extension = os.path.splitext(origin)[1] or ".txt"
            relative = os.path.join("files", language, package, digest[:16] + extension)
            os.makedirs(os.path.dirname(os.path.join(root, relative)), exist_ok=True)
            with open(os.path.join(root, relative), "w", encoding="utf-8") as out:
                out.write(text)
            manifest.write("\t".join([relative, language, package, sides[package],
                                      origin.replace("\t", " ")]) + "\n")
    summary = {}
    for language, package, _, _, _ in records:
        entry = summary.setdefault(language, {"train": [0, set()], "test": [0, set()]})
        entry[sides[package]][0] += 1
        entry[sides[package]][1].add(package)
    print("%-12s %14s %14s" % ("language", "train files/pkgs", "test files/pkgs"))
    for language in sorted(summary):
        train, test = summary[language]["train"], summary[language]["test"]
        print("%-12s %8d/%-6d %8d/%-6d" % (language, train[0], len(train[1]), test[0],
                                           len(test[1])))


if __name__ == "__main__":
    main()
