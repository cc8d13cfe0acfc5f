#!/usr/bin/python3
"""The documentation site in a real browser: headless Chromium driven through Selenium.

    browser_test.py CLI PROJECT.vbp OUT_DIR [--timing SITE_FOLDER]

Writes the project's site with CLI --site under OUT_DIR, then checks on it that the index loads,
that the search box finds a known procedure of the sample (mnuFileNew_Click) and that its result
leads to the declaration. With --timing, also loads the largest source page and the largest
module page of SITE_FOLDER (a site written before, the benchmark's L project say) and prints their
load times (navigation timing's load event) and the time one search over its index takes to answer.
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
    hit = wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#results a.hit"))[0]
    if "mnuFileNew_Click" not in hit.text or "sub" not in hit.text or "frmMain" not in hit.text:
        fail(f"first search result: {hit.text!r}")
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
    run = subprocess.run([cli, "--site", "--out-dir", out, project], capture_output=True, text=True)
    lines = run.stdout.split("\n")
    if run.returncode != 0 or len(lines) < 2 or not lines[1].endswith("/index.html"):
        fail(f"quillscope-cli --site: status {run.returncode}, {run.stdout!r} {run.stderr!r}")
    profile = tempfile.mkdtemp(prefix="qs-chromium-")
    driver = browser(profile)
    try:
        check_sample(driver, lines[1])
        check_module_page(driver, os.path.dirname(lines[1]))
        if len(argv) >= 6 and argv[4] == "--timing":
            timing(driver, argv[5])
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
