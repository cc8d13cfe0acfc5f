#!/usr/bin/python3
"""The documentation site in a real browser: headless Chromium driven through Selenium.

    browser_test.py CLI PROJECT.vbp OUT_DIR [--timing SITE_FOLDER]

Writes the project's site with CLI --site under OUT_DIR, then checks on it that the index loads,
that the search box finds a known procedure of the sample (mnuFileNew_Click) and that its result
leads to the declaration. Then, in a window 1400 and 420 px wide: a module page opens at its top
(on a project of many modules written here, whose side panel scrolls to the page's module); a
followed link's target lands below the top bar (which wraps in the narrow window); the search
answers the keyboard (arrow keys, Enter, Escape), names kinds in words, finds qualified names,
enum members and controls, and its "all N results" opens the page that lists them all.
With --timing, also loads the largest source page and the largest module page of SITE_FOLDER (a
site written before, the benchmark's L project say) and prints their load times (navigation
timing's load event) and the time one search over its index takes to answer.
Exit status 77 (skipped) when Chromium, its driver or Selenium is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"


def browser(profile):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                "--disable-background-networking", "--disable-component-update",
                "--no-first-run", "--disable-sync", "--window-size=1280,900",
                f"--user-data-dir={profile}"):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service(DRIVER), options=options)


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check_sample(driver, index):
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
    driver.get("file://" + index)
    if "Index" not in driver.title:
        fail(f"index title: {driver.title!r}")
    if not driver.find_elements(By.CSS_SELECTOR, "aside#side li a"):
        fail("the side panel lists no module")
    box = driver.find_element(By.ID, "q")
    box.send_keys("mnufilene")  # letter case ignored, a prefix
    wait = WebDriverWait(driver, 10)
    # The menu item first (the shorter name), then its handler.
    hits = wait.until(lambda d: shown_hits(d))
    if hits[:2] != ["mnuFileNew menu frmMain", "mnuFileNew_Click sub frmMain"]:
        fail(f"search results: {hits!r}")
    box.clear()
    box.send_keys("NewClick")  # nothing holds it
    wait.until(lambda d: "No declaration" in d.find_element(By.ID, "results").text)
    box.clear()
    box.send_keys("FileNew_C")  # a substring
    hit = wait.until(lambda d: [h for h in d.find_elements(By.CSS_SELECTOR, "#results a.hit")
                                if "mnuFileNew_Click" in h.text])[0]
    hit.click()
    wait.until(lambda d: "#mnuFileNew_Click" in d.current_url)
    fragment = driver.current_url.split("#", 1)[1]
    target = driver.find_element(By.ID, fragment)
    if "Private Sub mnuFileNew_Click()" not in target.text:
        fail(f"the result leads to {target.text!r}")
    # The declaration's line link leads to the line in the source page.
    target.find_element(By.CSS_SELECTOR, "a.where").click()
    wait.until(lambda d: "#L" in d.current_url)
    line = driver.find_element(By.ID, driver.current_url.split("#", 1)[1])
    if not line.is_displayed():
        fail("the source line is not shown")
    # A click on another line's number goes to that line.
    other = driver.find_element(By.ID, "L" + str(int(line.get_attribute("id")[1:]) + 1))
    other.click()
    wait.until(lambda d: d.current_url.endswith("#" + other.get_attribute("id")))
    print("sample: index, search and links work")


def write_many_modules(folder, count=60, procedures=40):
    """A project of many modules with long pages: its side panel scrolls, and so do its pages."""
    os.makedirs(folder, exist_ok=True)
    lines = ["Type=Exe"]
    for n in range(1, count + 1):
        name = f"modPart{n:02d}"
        lines.append(f"Module={name}; {name}.bas")
        body = [f'Attribute VB_Name = "{name}"', "Option Explicit"]
        for p in range(procedures):
            body += [f"' Step {p} of part {n}.", f"Public Sub Step{n:02d}x{p:02d}()", "End Sub"]
        with open(os.path.join(folder, name + ".bas"), "w", newline="\r\n") as f:
            f.write("\n".join(body) + "\n")
    lines += ['Name="Many"', 'Startup="Sub Main"']
    with open(os.path.join(folder, "Many.vbp"), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    return os.path.join(folder, "Many.vbp")


def write_site(cli, project, out):
    run = subprocess.run([cli, "--site", "--out-dir", out, project], capture_output=True, text=True)
    lines = run.stdout.split("\n")
    if run.returncode != 0 or len(lines) < 2 or not lines[1].endswith("/index.html"):
        fail(f"quillscope-cli --site {project}: status {run.returncode}, {run.stdout!r} "
             f"{run.stderr!r}")
    return lines[1]


def settled(driver):
    """Waits for the page's script to have run (the side panel filled, the bar measured)."""
    from selenium.webdriver.support.ui import WebDriverWait
    WebDriverWait(driver, 10).until(lambda d: d.execute_script(
        "return document.readyState === 'complete' && "
        "document.documentElement.style.getPropertyValue('--bar') !== '';"))


def shown_hits(driver, where="#results"):
    """The results shown, each as "name kind module" (its parts' texts), or the note's text."""
    return driver.execute_script(
        "var box = document.querySelector(arguments[0]);"
        " if (box.offsetParent === null) return [];"
        " return Array.prototype.map.call(box.querySelectorAll('.hit'), function (h) {"
        "   return h.children.length ? Array.prototype.map.call(h.children,"
        "     function (c) { return c.textContent; }).join(' ') : h.textContent; });", where)


def below_bar(driver, element):
    """The element's top lies between the top bar's bottom and the window's bottom."""
    top, bar, height = driver.execute_script(
        "return [arguments[0].getBoundingClientRect().top,"
        " document.querySelector('header.bar').getBoundingClientRect().bottom, innerHeight];",
        element)
    return bar - 1 <= top < height, f"top {top:.0f}, bar's bottom {bar:.0f}, window {height}"


def check_layout(driver, width, many_index, sample_index):
    """A module page opens at its top; a followed link's target shows below the top bar."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
    folder = os.path.dirname(many_index)
    # The last module's page: its side panel scrolls to it, the page stays at its top.
    last = sorted(f for f in os.listdir(folder) if f.startswith("m") and f.endswith(".html"))
    page = max(last, key=lambda f: int(f[1:f.index("-")]))
    driver.get("file://" + os.path.join(folder, page))
    settled(driver)
    scroll, side, cur_inside = driver.execute_script(
        "var s = document.getElementById('side'), c = s.querySelector('a.cur'),"
        " a = s.getBoundingClientRect(), r = c.getBoundingClientRect();"
        " return [scrollY, s.scrollTop, r.top >= a.top && r.bottom <= a.bottom];")
    if scroll != 0:
        fail(f"{width} px: {page} opens scrolled by {scroll} px")
    if side <= 0 or not cur_inside:
        fail(f"{width} px: the side panel does not show the page's module ({side} px scrolled)")
    # A link within the page (a handler of the controls' list to its declaration).
    driver.get("file://" + os.path.join(os.path.dirname(sample_index), "m1-frmMain.html"))
    settled(driver)
    links = driver.find_elements(By.CSS_SELECTOR, "span.handlers a[href^='#']")
    if not links:
        fail("frmMain lists no handler")
    link = links[-1]
    driver.execute_script("arguments[0].scrollIntoView({block: 'center'});", link)
    link.click()
    WebDriverWait(driver, 10).until(lambda d: d.current_url.endswith(link.get_attribute("href")
                                                                    .rsplit("#", 1)[1]))
    target = driver.find_element(By.ID, driver.current_url.rsplit("#", 1)[1])
    ok, where = below_bar(driver, target)
    if not ok:
        fail(f"{width} px: a followed link's target is hidden: {where}")
    # A link from another page: a declaration far down the last module's page.
    n = int(page[page.index("modPart") + 7:page.index(".html")])
    driver.get("file://" + os.path.join(folder, page) + f"#Step{n:02d}x30")
    settled(driver)
    ok, where = below_bar(driver, driver.find_element(By.ID, f"Step{n:02d}x30"))
    if not ok:
        fail(f"{width} px: a link's target from another page is hidden: {where}")
    print(f"{width} px: the page opens at its top, link targets show below the bar")


def check_search_keys(driver, width, sample_index):
    """The search by keyboard, its kinds as words, qualified names, enum members, controls, and
    the page of all the results."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
    wait = WebDriverWait(driver, 10)
    driver.get("file://" + sample_index)
    settled(driver)
    box = driver.find_element(By.ID, "q")

    def results(query):
        box.clear()
        box.send_keys(query)
        return wait.until(lambda d: shown_hits(d))

    def chosen():
        return driver.execute_script(
            "return Array.prototype.map.call(document.querySelectorAll('#results a.hit.sel'),"
            " function (h) { return Array.prototype.map.call(h.children,"
            " function (c) { return c.textContent; }).join(' '); });")

    # Arrow keys move the choice (not below the last, nor above the first), Escape closes.
    hits = results("inv")
    if len(hits) < 4 or not hits[-1].startswith("all "):
        fail(f"{width} px: 'inv' finds {hits!r}")
    box.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_UP)
    if chosen() != [hits[1]]:
        fail(f"{width} px: down three times and up once chooses {chosen()!r}, not {hits[1]!r}")
    box.send_keys(Keys.ESCAPE)
    if driver.find_element(By.ID, "results").is_displayed() or chosen():
        fail(f"{width} px: Escape leaves the results open")
    if box.get_attribute("value") != "inv":
        fail(f"{width} px: Escape cleared the box")
    # Kinds as the pages name them; a property's Get and Let one result.
    for query, expected in (("isdirty", ["IsDirty property modMain"]),
                            ("stkLow", ["stkLow enum member modMain"]),
                            ("frmMain.mnuFileNe", ["mnuFileNew menu frmMain",
                                                   "mnuFileNew_Click sub frmMain"]),
                            ("modApi.rect", ["RECT user type modApi"])):
        hits = results(query)
        if hits[:len(expected)] != expected:
            fail(f"{width} px: {query!r} finds {hits!r}, not {expected!r} first")
    # The keyboard alone: down to the second result (the menu's handler), Enter opens it.
    results("mnufilene")
    box.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ENTER)
    wait.until(lambda d: "m1-frmMain.html#" in d.current_url)
    target = driver.find_element(By.ID, driver.current_url.rsplit("#", 1)[1])
    if "Private Sub mnuFileNew_Click()" not in target.text:
        fail(f"{width} px: Enter leads to {target.text!r}")
    # A control leads to the form's list of controls, an enum member to its enum.
    driver.get("file://" + sample_index)
    settled(driver)
    box = driver.find_element(By.ID, "q")
    results("stkOut")
    box.send_keys(Keys.ARROW_DOWN, Keys.ENTER)
    wait.until(lambda d: "#" in d.current_url)
    target = driver.find_element(By.ID, driver.current_url.rsplit("#", 1)[1])
    if "Enum InvStockState" not in target.text:
        fail(f"{width} px: an enum member leads to {target.text!r}")
    ok, where = below_bar(driver, target)
    if not ok:
        fail(f"{width} px: the search's target is hidden: {where}")
    # "all N results" opens the page that lists them all.
    box = driver.find_element(By.ID, "q")
    hits = results("e")
    count = int(hits[-1].split()[1])
    if count <= 30 or len(hits) != 31:
        fail(f"{width} px: 'e' shows {len(hits)} of {hits[-1]!r}")
    driver.find_element(By.CSS_SELECTOR, "#results a.hit.all").click()
    wait.until(lambda d: "search.html?q=e" in d.current_url)
    listed = wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#found a.hit"))
    header = driver.find_element(By.CSS_SELECTOR, "#found p.meta").text
    if len(listed) != count or header != f"{count} results":
        fail(f"{width} px: the results page lists {len(listed)} ({header!r}), not {count}")
    print(f"{width} px: the search answers the keyboard; all {count} results of 'e' listed")


def check_long_results(driver, many_index):
    """The results page lists every one of a long list (shown in parts), and a qualified query
    keeps to its module."""
    from selenium.webdriver.support.ui import WebDriverWait
    search = "file://" + os.path.join(os.path.dirname(many_index), "search.html")
    count = "return [document.querySelectorAll('#found a.hit').length," \
            " (document.querySelector('#found p.meta') || {}).textContent];"
    for query, expected in (("step", 2400), ("modPart07.step", 40), ("MODPART0.STEP", 360)):
        driver.get(search + "?q=" + query)
        try:
            WebDriverWait(driver, 30).until(lambda d: d.execute_script(count)[0] >= expected)
        except Exception:  # the failure below names what the page shows
            pass
        listed, header = driver.execute_script(count)
        if listed != expected or header != f"{expected} results":
            fail(f"the results page of {query!r} lists {listed} ({header!r}), not {expected}")
    print("the results page lists all 2400 results of 'step'; Module.Name keeps to the module")


def check_module_page(driver, site):
    """A module page: its members in the side panel; a link of its members' table lands on the
    member's detail; a private member's link opens the folded details it is in."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
    wait = WebDriverWait(driver, 10)
    driver.get("file://" + os.path.join(site, "m1-frmMain.html"))
    if not driver.find_elements(By.CSS_SELECTOR, "aside#side ul.members li a"):
        fail("the side panel lists none of the page's members")
    public = driver.find_elements(By.CSS_SELECTOR, "h2#summary + table.members a.member")
    if not public:
        fail("the members' table has no public member")
    name = public[0].text
    public[0].click()
    wait.until(lambda d: d.current_url.endswith(public[0].get_attribute("href").split("#", 1)[1]))
    target = driver.find_element(By.ID, driver.current_url.split("#", 1)[1])
    if not target.is_displayed() or name not in target.text:
        fail(f"the members' table's link {name!r} leads to {target.text[:80]!r}")
    folded = driver.find_element(By.ID, "private-details")
    if folded.get_attribute("open") is not None:
        fail("the private members' details are open on load")
    driver.execute_script("window.scrollTo(0, 0)")  # the folded table is near the top
    driver.find_element(By.CSS_SELECTOR, "details#private > summary").click()
    link = driver.find_element(By.CSS_SELECTOR, "details#private a.member")
    link.click()
    wait.until(lambda d: d.find_element(By.ID, "private-details").get_attribute("open") is not None)
    target = driver.find_element(By.ID, link.get_attribute("href").split("#", 1)[1])
    if not target.is_displayed():
        fail(f"the private member {link.text!r} is not shown after its link")
    print("module page: members' table, side panel and folded details work")


def timing(driver, site):
    def largest_of(prefix):
        pages = [f for f in os.listdir(site) if f.startswith(prefix) and f.endswith(".html")]
        return max(pages, key=lambda f: os.path.getsize(os.path.join(site, f)))

    def load_time(page):
        driver.get("file://" + os.path.join(site, page))
        return driver.execute_script("var t = performance.getEntriesByType('navigation')[0];"
                                     " return t.loadEventEnd - t.startTime;")
    source = largest_of("s")
    print(f"timing: {source} ({os.path.getsize(os.path.join(site, source))} bytes) loads in "
          f"{load_time(source):.0f} ms")
    largest = largest_of("m")
    load = load_time(largest)
    # The index is loaded first; then one search is timed from the input to the results shown.
    driver.execute_async_script("""
        var done = arguments[0], q = document.getElementById('q');
        q.dispatchEvent(new Event('focus'));
        (function wait() { if (window.QS_SEARCH) setTimeout(done, 50); else setTimeout(wait, 20); })();""")
    answer = driver.execute_async_script("""
        var done = arguments[0], q = document.getElementById('q'), box = document.getElementById('results');
        var t0 = performance.now();
        new MutationObserver(function (m, o) { o.disconnect(); done(performance.now() - t0); })
            .observe(box, {childList: true});
        q.value = 'count'; q.dispatchEvent(new Event('input'));""")
    size = os.path.getsize(os.path.join(site, "search-index.js"))
    print(f"timing: {largest} ({os.path.getsize(os.path.join(site, largest))} bytes) loads in "
          f"{load:.0f} ms; a search over search-index.js ({size} bytes) answers in {answer:.1f} ms")


def main(argv):
    if len(argv) < 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("skipped: python3-selenium is not installed")
        return 77
    if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
        print("skipped: chromium or chromium-driver is not installed")
        return 77
    cli, project, out = argv[1], argv[2], argv[3]
    shutil.rmtree(out, ignore_errors=True)
    index = write_site(cli, project, out)
    many = write_site(cli, write_many_modules(os.path.join(out, "many")), os.path.join(out, "sites"))
    profile = tempfile.mkdtemp(prefix="qs-chromium-")
    driver = browser(profile)
    try:
        check_sample(driver, index)
        check_long_results(driver, many)
        for width in (1400, 420):
            driver.set_window_size(width, 900)
            check_layout(driver, width, many, index)
            check_search_keys(driver, width, index)
        check_module_page(driver, os.path.dirname(index))
        if len(argv) >= 6 and argv[4] == "--timing":
            timing(driver, argv[5])
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
