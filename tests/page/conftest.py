"""Fixtures of the page tests: `kelvane serve` on virtual chips, and one
headless Chromium session for all the tests (its start is the slow part).

KELVANE_PROGRAM names the program (default build/virtual/kelvane, the copy
beside the virtual-chip flavour); KELVANE_SCREENSHOTS the folder for a
screenshot of each tab (default build/page-screenshots).
"""
import os
import pathlib
import shutil
import signal
import subprocess
import tempfile
import time

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]

# One chip with the default bench's slaves, inputs that move with the wall
# clock, GP0 an output and GP1 an input that flips every 300 ms.
BENCH = """state=
chip serial=KV000001
  eeprom addr7=50 size=256 pattern=index
  smbus addr7=0b registers=256 block=4 pec=on pattern=index
  adc channel=1 wave=sine min=500 max=3000 period=4000
  adc channel=2 wave=ramp min=0 max=2000 period=3000
  adc channel=3 wave=noise min=1000 max=1400
  gp pin=0 direction=out value=0
  gp pin=1 direction=in level=0 toggle=300
"""

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--window-size=1400,1000"]


@pytest.fixture(scope="session")
def server():
    """The printed address of a running `kelvane serve --port 0 --no-browser`."""
    program = os.environ.get("KELVANE_PROGRAM", str(ROOT / "build" / "virtual" / "kelvane"))
    work = tempfile.mkdtemp(prefix="kelvane-page-")
    bench = pathlib.Path(work) / "bench.txt"
    bench.write_text(BENCH)
    env = dict(os.environ, KELVANE_SIM_BENCH=str(bench))
    process = subprocess.Popen([program, "--library", "virtual", "serve", "--port", "0", "--no-browser"],
                               cwd=work, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = process.stdout.readline()
    assert line.startswith("kelvane: serving on http://127.0.0.1:"), line + process.stderr.read()
    url = line.split("serving on ", 1)[1].strip()
    yield url
    process.send_signal(signal.SIGINT)
    try:
        assert process.wait(timeout=10) == 0
    finally:
        if process.poll() is None:
            process.kill()
        shutil.rmtree(work, ignore_errors=True)


@pytest.fixture(scope="session")
def browser():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    profile = tempfile.mkdtemp(prefix="kelvane-chromium-")
    for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + profile]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                              options=options)
    driver.set_page_load_timeout(30)
    yield driver
    driver.quit()
    shutil.rmtree(profile, ignore_errors=True)


@pytest.fixture(scope="session")
def screenshots():
    folder = pathlib.Path(os.environ.get("KELVANE_SCREENSHOTS", str(ROOT / "build" / "page-screenshots")))
    folder.mkdir(parents=True, exist_ok=True)
    return folder


def wait_for(predicate, timeout=10.0, what="the page"):
    """Polls predicate until it gives a true value (bounded by timeout)."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = predicate()
        except Exception as error:  # the element is not there yet, or was replaced
            last = error
        else:
            if last:
                return last
        time.sleep(0.05)
    raise AssertionError(f"{what} did not come within {timeout} s (last: {last!r})")
