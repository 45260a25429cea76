#!/usr/bin/env python3
"""Generate benchmark input for tessaly-cli (standard library only, deterministic).

Modes (OUT is always a folder, created if missing):

  gen_corpus.py OUT [--files N] [--total-mb M] [--seed S] [--dense]
      An HTML corpus: N files (default 2000) totalling about M MB (default 120)
      in nested sub-folders, encoded in windows-1252, extensions .htm and .html.
      Every file has a unique base name, so results written with -o never clash.
      The find word "Acme" occurs in visible text and also in attributes,
      scripts, styles and comments, so whole-file and viewable-text modes differ.
      With --dense it also occurs about every 200 bytes between tags, as in
      pages full of a brand name.

  gen_corpus.py OUT --tree [--seed S]
      A folder-scan tree: 100,000 tiny files in 5,000 folders, of which 50,000
      match *.htm (the rest are .txt/.css/.js/.json/.png).

  gen_corpus.py OUT --big MB [--seed S]
      One single HTML file OUT/big.html of MB megabytes (MB = 1,000,000 bytes).

  gen_corpus.py OUT --sets N [--present K] [--seed S]
      N find/replace sets for a corpus of this generator, of which K (default 10)
      find words of its text and the others invented names that never occur:
      OUT/sets.txt (windows-1252, "find::replace" lines, for tessaly-cli -s) and
      OUT/sets.pl (the same substitutions in order, for perl -pi OUT/sets.pl).

A file OUT/.complete is written last; its presence means the output is whole.
"""

import argparse
import math
import os
import random
import re
import sys

ENCODING = "cp1252"
FIND_WORD = "Acme"

WORDS = (
    "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
    "incididunt ut labore et dolore magna aliqua enim ad minim veniam quis nostrud "
    "exercitation ullamco laboris nisi aliquip ex ea commodo consequat duis aute irure "
    "in reprehenderit voluptate velit esse cillum fugiat nulla pariatur excepteur sint "
    "occaecat cupidatat non proident sunt culpa qui officia deserunt mollit anim id est "
    "product service delivery order customer warranty manual support release update "
    "network storage garden kitchen travel museum harbour station market library "
    "the of and to with for from under over between about against during without"
).split()
# Non-ASCII Latin words that exist in windows-1252.
LATIN = [
    "café", "Müller", "Straße", "naïve", "über", "Grüße", "déjà", "façade",
    "résumé", "Zürich", "François", "señor", "Ærø", "smørrebrød", "Köln",
    "crème", "brûlée", "Größe", "Malmö", "Ångström", "São", "jalapeño",
]
FIRST = ["Anna", "Jörg", "Émile", "Zoë", "Renée", "Björn", "Søren", "Inés", "Paul", "Marta"]
LAST = ["Schäfer", "Dupré", "Øster", "Weiß", "García", "Kowalski", "Nuñez", "Brandt"]
FOLDER_WORDS = [
    "docs", "products", "archive", "news", "support", "catalogue", "press",
    "manuals", "help", "legal", "events", "blog", "shop", "about", "downloads",
    "partners", "careers", "media", "faq", "reports",
]
FILE_WORDS = [
    "index", "page", "article", "product", "overview", "details", "notes",
    "chapter", "item", "topic", "guide", "story", "entry", "report",
]
MAX_FILE = 1_000_000
MIN_FILE = 3_000


class Gen:
    """Builds pools of markup fragments once; files are assembled from them."""

    def __init__(self, rng):
        self.r = rng
        r = rng
        self.paragraphs = [self.paragraph() for _ in range(700)]
        self.tables = [self.table() for _ in range(120)]
        self.lists = [self.ulist() for _ in range(120)]
        self.scripts = [self.inline_script() for _ in range(60)]
        self.comments = [self.comment() for _ in range(40)]
        self.navs = [self.nav() for _ in range(30)]
        self.styles = [self.style() for _ in range(20)]
        self.headings = [self.sentence(3, 7).rstrip(".") for _ in range(300)]
        self.footers = [self.footer() for _ in range(20)]
        del r

    # -- text -----------------------------------------------------------
    def word(self):
        r = self.r
        x = r.random()
        if x < 0.006:
            return FIND_WORD
        if x < 0.066:
            return r.choice(LATIN)
        return r.choice(WORDS)

    def sentence(self, lo=6, hi=18):
        r = self.r
        ws = [self.word() for _ in range(r.randint(lo, hi))]
        if r.random() < 0.15:
            i = r.randrange(len(ws))
            ws[i] = "“" + ws[i]
            j = min(len(ws) - 1, i + r.randint(0, 3))
            ws[j] = ws[j] + "”"
        if r.random() < 0.08:
            ws.append("for €\u00a0%d,%02d" % (r.randint(1, 999), r.randint(0, 99)))
        s = " ".join(ws)
        s = s[0].upper() + s[1:]
        return s + r.choice([".", ".", ".", "!", "?", " …", " – really."])

    def inline(self):
        r = self.r
        x = r.random()
        if x < 0.35:
            brand = FIND_WORD if r.random() < 0.5 else r.choice(WORDS)
            return ('<a href="https://www.example.com/%s/%s-%d.html" title="%s %s" '
                    'data-vendor="%s" class="link %s-link">%s</a>'
                    % (brand, r.choice(WORDS), r.randint(1, 9999), brand,
                       r.choice(LATIN), brand, brand.lower(), self.sentence(1, 4).rstrip(".!? …")))
        if x < 0.55:
            return "<em>%s</em>" % self.sentence(1, 3).rstrip(".!? …")
        if x < 0.75:
            return "<strong>%s</strong>" % self.sentence(1, 3).rstrip(".!? …")
        if x < 0.85:
            return ('<img src="/img/%s-%d.png" alt="%s logo" width="%d" height="%d">'
                    % (r.choice([FIND_WORD, "logo", "photo"]), r.randint(1, 500),
                       r.choice([FIND_WORD, "Company", r.choice(LATIN)]),
                       r.randint(16, 640), r.randint(16, 480)))
        if x < 0.93:
            return "<code>%s.%s()</code>" % (r.choice([FIND_WORD, "app", "util"]), r.choice(WORDS))
        return "%s &amp; %s &nbsp;&ndash; %s" % (r.choice(FIRST), r.choice(LAST), r.choice(LATIN))

    def paragraph(self):
        r = self.r
        parts = []
        for _ in range(r.randint(2, 7)):
            parts.append(self.sentence())
            if r.random() < 0.4:
                parts.append(self.inline())
        attrs = ""
        if r.random() < 0.3:
            attrs = ' class="%s"' % r.choice(["lead", "note", "%s-text" % FIND_WORD.lower(), "small"])
        if r.random() < 0.1:
            attrs += ' data-source="%s CMS"' % FIND_WORD
        return "<p%s>%s</p>\n" % (attrs, " ".join(parts))

    def table(self):
        r = self.r
        cols = r.randint(2, 6)
        rows = r.randint(2, 25)
        out = ['<table class="data" summary="%s figures">\n<thead><tr>' % r.choice([FIND_WORD, "Quarterly"])]
        out.extend("<th>%s</th>" % self.sentence(1, 2).rstrip(".!? …") for _ in range(cols))
        out.append("</tr></thead>\n<tbody>\n")
        for i in range(rows):
            out.append('<tr class="%s">' % ("odd" if i % 2 else "even"))
            for _ in range(cols):
                if r.random() < 0.3:
                    out.append('<td align="right">%d,%02d €</td>' % (r.randint(0, 99999), r.randint(0, 99)))
                else:
                    out.append("<td>%s</td>" % " ".join(self.word() for _ in range(r.randint(1, 4))))
            out.append("</tr>\n")
        out.append("</tbody>\n</table>\n")
        return "".join(out)

    def ulist(self):
        r = self.r
        tag = r.choice(["ul", "ol"])
        items = "".join("  <li>%s</li>\n" % (self.sentence(2, 10) if r.random() < 0.7 else self.inline())
                        for _ in range(r.randint(2, 12)))
        return "<%s>\n%s</%s>\n" % (tag, items, tag)

    def inline_script(self):
        r = self.r
        lines = [
            "<script>",
            "  // %s tracking – do not edit" % FIND_WORD,
            '  var vendor = "%s";' % FIND_WORD,
            "  window.%sConfig = { id: %d, lang: \"%s\", label: \"%s\" };"
            % (FIND_WORD, r.randint(1, 99999), r.choice(["de", "fr", "en", "es"]), r.choice(LATIN)),
            "  if (document.querySelector('.%s-banner')) { console.log(\"%s ready\"); }"
            % (FIND_WORD.lower(), FIND_WORD),
            "  for (var i = 0; i < %d; i++) { if (i < 3 && vendor) { void 0; } }" % r.randint(2, 50),
            "</script>\n",
        ]
        return "\n".join(lines)

    def comment(self):
        r = self.r
        return "<!-- %s template block %d: %s -->\n" % (FIND_WORD, r.randint(1, 999), self.sentence(3, 8))

    def nav(self):
        r = self.r
        items = []
        for _ in range(r.randint(4, 10)):
            w = r.choice(WORDS + [FIND_WORD])
            items.append('<li><a href="/%s/%s.html" class="nav-item" title="%s">%s</a></li>'
                         % (r.choice(FOLDER_WORDS), w.lower(), w, w.capitalize()))
        return ('<nav id="main-nav" class="%s-nav" aria-label="Main">\n<ul>\n%s\n</ul>\n</nav>\n'
                % (FIND_WORD.lower(), "\n".join(items)))

    def style(self):
        r = self.r
        return ("<style>\n  /* %s theme */\n  body { font-family: Georgia, serif; margin: 0 %dpx; }\n"
                "  .%s-banner { color: #%06x; }\n  table.data td { padding: %dpx; }\n"
                "  .lead::before { content: \"»\"; }\n</style>\n"
                % (FIND_WORD, r.randint(0, 40), FIND_WORD, r.randrange(0xFFFFFF), r.randint(1, 8)))

    def footer(self):
        r = self.r
        return ('<footer>\n<p>© %d %s Ltd. – %s, %s</p>\n<address>%s %s, %s %d, %s</address>\n</footer>\n'
                % (r.randint(1998, 2024), FIND_WORD, r.choice(LATIN), self.sentence(2, 5),
                   r.choice(FIRST), r.choice(LAST), r.choice(["Hauptstraße", "Rue Lepic", "Gärtnerweg"]),
                   r.randint(1, 200), r.choice(["Zürich", "Köln", "Malmö", "Lyon"])))

    # -- documents --------------------------------------------------------
    def head(self, title):
        r = self.r
        return ('<!DOCTYPE html>\n<html lang="%s">\n<head>\n'
                '<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">\n'
                '<meta name="description" content="%s">\n'
                '<meta name="author" content="%s %s">\n'
                '<meta name="keywords" content="%s, %s, %s">\n'
                "<title>%s</title>\n%s"
                '<script src="/js/%s.js"></script>\n%s</head>\n'
                % (r.choice(["de", "fr", "en"]), self.sentence(4, 10), r.choice(FIRST), r.choice(LAST),
                   FIND_WORD, r.choice(LATIN), r.choice(WORDS), title, r.choice(self.styles),
                   r.choice([FIND_WORD.lower(), "main", "vendor"]), r.choice(self.scripts)))

    def section(self):
        r = self.r
        parts = ['<section id="s%d">\n<h2>%s</h2>\n' % (r.randint(1, 99999), r.choice(self.headings))]
        for _ in range(r.randint(2, 6)):
            x = r.random()
            if x < 0.62:
                parts.append(r.choice(self.paragraphs))
            elif x < 0.74:
                parts.append(r.choice(self.tables))
            elif x < 0.86:
                parts.append(r.choice(self.lists))
            elif x < 0.92:
                parts.append(r.choice(self.scripts))
            elif x < 0.97:
                parts.append(r.choice(self.comments))
            else:
                parts.append("<h3>%s</h3>\n" % r.choice(self.headings))
        parts.append("</section>\n")
        return "".join(parts)

    def document(self, title, size):
        r = self.r
        parts = [self.head(title), "<body>\n", r.choice(self.navs),
                 '<div class="%s-banner"><h1>%s</h1></div>\n' % (FIND_WORD.lower(), title),
                 '<main>\n']
        n = sum(len(p) for p in parts)
        tail = "</main>\n%s</body>\n</html>\n" % r.choice(self.footers)
        n += len(tail)
        while n < size:
            s = self.section()
            parts.append(s)
            n += len(s)
        parts.append(tail)
        return "".join(parts)


def densify(doc, every=200):
    """Insert the find word between tags about every `every` characters."""
    out = []
    since = 0
    for part in re.split(r"(<[^>]*>)", doc):
        if part.startswith("<"):
            out.append(part)
            since += len(part)
            continue
        start = 0
        while True:
            space = part.find(" ", start + max(0, every - since))
            if space < 0:
                break
            out.append(part[start:space + 1] + FIND_WORD + " ")
            since = 0
            start = space + 1
        out.append(part[start:])
        since += len(part) - start
    return "".join(out)


def file_sizes(rng, count, total):
    """Log-normal sizes in [MIN_FILE, MAX_FILE], scaled to sum to about total."""
    sizes = [rng.lognormvariate(0.0, 1.0) for _ in range(count)]
    scale = total / sum(sizes)
    for _ in range(20):
        sizes = [min(MAX_FILE, max(MIN_FILE, s * scale)) for s in sizes]
        got = sum(sizes)
        if abs(got - total) < total * 0.005:
            break
        scale = total / got
    sizes = [int(s) for s in sizes]
    # Make the largest file reach the top of the range when the total allows it.
    if count >= 20 and total / count * 5 < MAX_FILE:
        i = max(range(count), key=lambda k: sizes[k])
        sizes[i] = MAX_FILE
    return sizes


def make_folders(rng, count):
    """A random nested folder tree (depth 1..5) of count folders, as relative paths."""
    folders = []
    used = set()
    while len(folders) < count:
        parents = [f for f in folders if f.count(os.sep) < 4]
        if folders and rng.random() < 0.85 and parents:
            parent = rng.choice(parents)
        else:
            parent = ""
        name = rng.choice(FOLDER_WORDS)
        if rng.random() < 0.5:
            name += "-%d" % rng.randint(1995, 2024)
        path = os.path.join(parent, name) if parent else name
        if path in used:
            continue
        used.add(path)
        folders.append(path)
    return folders


def write_corpus(out, files, total_mb, seed, dense):
    rng = random.Random(seed)
    gen = Gen(rng)
    sizes = file_sizes(rng, files, total_mb * 1_000_000)
    folders = make_folders(rng, max(1, files // 20))
    made = set()
    written = 0
    for i, size in enumerate(sizes):
        folder = rng.choice(folders)
        ext = ".htm" if rng.random() < 0.35 else ".html"
        name = "%s-%05d%s" % (rng.choice(FILE_WORDS), i, ext)
        d = os.path.join(out, folder)
        if d not in made:
            os.makedirs(d, exist_ok=True)
            made.add(d)
        title = "%s %s – %s %d" % (FIND_WORD if i % 3 == 0 else "The", rng.choice(LATIN),
                                   rng.choice(FILE_WORDS).capitalize(), i)
        doc = gen.document(title, size)
        data = (densify(doc) if dense else doc).encode(ENCODING)
        with open(os.path.join(d, name), "wb") as f:
            f.write(data)
        written += len(data)
    return written


def write_tree(out, seed):
    rng = random.Random(seed)
    # 8 + 8*24 + 8*24*25 = 5,000 folders; 20 files each = 100,000 files, 10 of them *.htm.
    others = [".txt", ".css", ".js", ".json", ".png"]
    html = b"<html><body><p>x marks the spot</p></body></html>\n"
    count = 0
    dirs = []
    for a in range(8):
        da = os.path.join(out, "area%02d" % a)
        dirs.append(da)
        for b in range(24):
            db = os.path.join(da, "group%02d" % b)
            dirs.append(db)
            for c in range(25):
                dirs.append(os.path.join(db, "leaf%02d" % c))
    for d in dirs:
        os.makedirs(d, exist_ok=True)
        for k in range(10):
            with open(os.path.join(d, "page%02d.htm" % k), "wb") as f:
                f.write(html)
            ext = others[(k + rng.randrange(5)) % 5]
            with open(os.path.join(d, "other%02d%s" % (k, ext)), "wb") as f:
                f.write(b"x\n")
            count += 2
    return len(dirs), count


def write_big(out, mb, seed):
    rng = random.Random(seed)
    gen = Gen(rng)
    target = int(mb * 1_000_000)
    path = os.path.join(out, "big.html")
    title = "%s big document" % FIND_WORD
    head = (gen.head(title) + "<body>\n" + gen.navs[0] + "<main>\n").encode(ENCODING)
    tail = ("</main>\n" + gen.footers[0] + "</body>\n</html>\n").encode(ENCODING)
    # A pool of pre-encoded sections; chunks of about 1 MB are assembled from it.
    pool = [gen.section().encode(ENCODING) for _ in range(400)]
    n = len(head) + len(tail)
    with open(path, "wb") as f:
        f.write(head)
        while n < target:
            chunk = []
            c = 0
            while c < 1_000_000 and n + c < target:
                s = pool[rng.randrange(len(pool))]
                chunk.append(s)
                c += len(s)
            f.write(b"".join(chunk))
            n += c
        f.write(tail)
    return path, n


# Words of the corpus text for the sets that find something: the find word and
# common words, spread over the list.
PRESENT_WORDS = [FIND_WORD, "warranty", "museum", "harbour", "kitchen", "garden", "library", "station",
                 "customer", "delivery", "network", "storage", "travel", "market", "release", "support"]
SYLLABLES = ["ka", "lor", "vex", "min", "dar", "tel", "qu", "bre", "sho", "ra", "zin", "pol", "ver", "nox",
             "tar", "mel", "gri", "sa", "fen", "dro", "lum", "ix", "cor", "ba"]


def invented(rng):
    """A product name such as "Lorvexmin 304", which the corpus never holds (it has no digits after words)."""
    word = "".join(rng.choice(SYLLABLES) for _ in range(rng.randint(2, 4)))
    return "%s %d" % (word.capitalize(), rng.randint(100, 999))


def write_sets(out, count, present, seed):
    rng = random.Random(seed)
    present = min(present, count, len(PRESENT_WORDS))
    sets = []
    used = set()
    while len(sets) < count - present:
        find = invented(rng)
        if find not in used:
            used.add(find)
            sets.append((find, invented(rng)))
    for k in range(present):
        at = (k * count) // max(1, present) + rng.randrange(max(1, count // max(1, present)))
        sets.insert(min(at, len(sets)), (PRESENT_WORDS[k], invented(rng)))
    with open(os.path.join(out, "sets.txt"), "wb") as f:
        f.write("".join("%s::%s\n" % s for s in sets).encode(ENCODING))

    def perl_find(t):
        return "".join(c if c.isalnum() else "\\" + c for c in t)

    def perl_replace(t):
        return "".join("\\" + c if c in "\\$@/" else c for c in t)

    with open(os.path.join(out, "sets.pl"), "wb") as f:
        f.write("".join("s/%s/%s/g;\n" % (perl_find(a), perl_replace(b)) for a, b in sets).encode(ENCODING))
    return len(sets), present


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("out", help="output folder")
    ap.add_argument("--files", type=int, default=2000, help="number of HTML files (default 2000)")
    ap.add_argument("--total-mb", type=float, default=120, help="total corpus size in MB (default 120)")
    ap.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    ap.add_argument("--dense", action="store_true", help="the find word also about every 200 bytes of text")
    g = ap.add_mutually_exclusive_group()
    g.add_argument("--tree", action="store_true", help="write a 100,000-file folder-scan tree instead")
    g.add_argument("--big", type=float, metavar="MB", help="write one single HTML file of MB megabytes instead")
    g.add_argument("--sets", type=int, metavar="N", help="write N find/replace sets instead (sets.txt, sets.pl)")
    ap.add_argument("--present", type=int, default=10, help="with --sets: how many find words of the text (default 10)")
    a = ap.parse_args()

    os.makedirs(a.out, exist_ok=True)
    stamp = os.path.join(a.out, ".complete")
    if os.path.exists(stamp):
        os.remove(stamp)
    if a.tree:
        nd, nf = write_tree(a.out, a.seed)
        msg = "tree: %d folders, %d files (%d *.htm)" % (nd, nf, nf // 2)
    elif a.sets is not None:
        n, k = write_sets(a.out, a.sets, a.present, a.seed)
        msg = "sets: %d, %d of them finding words of the corpus text" % (n, k)
    elif a.big is not None:
        path, n = write_big(a.out, a.big, a.seed)
        msg = "big: %s, %d bytes" % (path, n)
    else:
        if a.files < 1:
            ap.error("--files must be at least 1")
        n = write_corpus(a.out, a.files, a.total_mb, a.seed, a.dense)
        msg = "corpus: %d files, %d bytes (%.1f MB)" % (a.files, n, n / 1e6)
    with open(stamp, "w") as f:
        f.write(msg + "\n")
    print(msg)


if __name__ == "__main__":
    sys.exit(main())
