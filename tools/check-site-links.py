#!/usr/bin/python3
"""Checks documentation sites written by quillscope-cli --site.

    tools/check-site-links.py SITE_FOLDER [SITE_FOLDER ...]

Every href, src and data of every page, and every link of every SVG picture, that is not an
address of the web (no "scheme:") must name a file of the site, and its fragment (#...) an id of
that file. No page may exceed 5 MB. Prints
one line per site (pages, links, largest page) and every broken link; exit status 1 when any
link is broken or a page is too large, 2 for a usage error.
"""
import html.parser
import os
import sys
import urllib.parse

PAGE_LIMIT = 5 * 1000 * 1000


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id" and value is not None:
                self.ids.add(value)
            elif name in ("href", "src", "data", "xlink:href") and value is not None:
                self.links.append(value)


def check(site):
    pages = {}
    for root, _, files in os.walk(site):
        for f in files:
            if f.endswith(".html") or f.endswith(".svg"):
                path = os.path.join(root, f)
                p = Page()
                with open(path, encoding="utf-8") as text:
                    p.feed(text.read())
                pages[os.path.relpath(path, site)] = (p, os.path.getsize(path))
    broken, links, largest = [], 0, ("", 0)
    for name, (page, size) in sorted(pages.items()):
        if size > largest[1]:
            largest = (name, size)
        if size > PAGE_LIMIT:
            broken.append(f"{name}: {size} bytes, more than {PAGE_LIMIT}")
        for link in page.links:
            parts = urllib.parse.urlsplit(link)
            if parts.scheme or parts.netloc:
                continue
            links += 1
            target = os.path.normpath(os.path.join(os.path.dirname(name), urllib.parse.unquote(parts.path))) if parts.path else name
            if not os.path.isfile(os.path.join(site, target)):
                broken.append(f"{name}: {link}: no file {target}")
            elif parts.fragment:
                if target not in pages:
                    broken.append(f"{name}: {link}: fragment into a file that is not a page")
                elif urllib.parse.unquote(parts.fragment) not in pages[target][0].ids:
                    broken.append(f"{name}: {link}: no id {parts.fragment} in {target}")
    print(f"{site}: {len(pages)} pages, {links} internal links, largest page {largest[0]} "
          f"({largest[1]} bytes), {len(broken)} problems")
    for b in broken[:50]:
        print("  " + b)
    return not broken


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    ok = True
    for site in argv[1:]:
        if not os.path.isfile(os.path.join(site, "index.html")):
            print(f"{site}: no index.html", file=sys.stderr)
            ok = False
            continue
        ok = check(site) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
