"""The page of `kelvane serve` in headless Chromium, on a virtual chip: the
refusal without the token, then each tab as a person uses it (a screenshot
of each is saved)."""
import time

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from conftest import wait_for


def text_of(browser, element_id):
    return browser.find_element(By.ID, element_id).text


def open_tab(browser, name):
    browser.find_element(By.ID, "tab-" + name).click()
    wait_for(lambda: browser.find_element(By.ID, "panel-" + name).is_displayed(), what="the tab " + name)


def test_without_the_token_the_page_says_how_to_open_it_and_shows_no_data(server, browser, screenshots):
    # The bare address: no token in the query, no cookie yet.
    browser.get(server.split("?")[0])
    note = wait_for(lambda: browser.find_element(By.ID, "unauthorised").is_displayed() and
                    browser.find_element(By.ID, "unauthorised"), what="the note on the token")
    assert "kelvane serve" in note.text and "token" in note.text
    assert not browser.find_element(By.ID, "tabs").is_displayed()
    assert "KV000001" not in browser.find_element(By.TAG_NAME, "body").text
    browser.save_screenshot(str(screenshots / "no-token.png"))


def test_the_page_opened_with_its_token_shows_the_chip(server, browser, screenshots):
    browser.get(server)
    wait_for(lambda: "KV000001" in text_of(browser, "chips-table"), what="the chip in the table")
    assert text_of(browser, "selected-chip") == "KV000001"
    assert "?token" not in browser.current_url  # taken out of the address bar
    wait_for(lambda: text_of(browser, "connection") == "live", what="the event stream")
    browser.save_screenshot(str(screenshots / "chips.png"))


def test_scan_shows_the_slaves_and_a_register_edit_shows_its_read_back(server, browser, screenshots):
    open_tab(browser, "bus")
    browser.find_element(By.ID, "scan").click()
    wait_for(lambda: text_of(browser, "cell-50") == "50", what="0x50 in the grid")
    found = {cell.text for cell in browser.find_elements(By.CSS_SELECTOR, "#scan-grid td.found")}
    assert found == {"0b", "50"}
    assert text_of(browser, "cell-51") == "--"

    browser.find_element(By.ID, "cell-50").click()
    wait_for(lambda: text_of(browser, "reg-10") == "10", what="the EEPROM's registers")
    browser.find_element(By.ID, "reg-10").click()
    field = browser.find_element(By.CSS_SELECTOR, "#reg-10 input")
    field.send_keys(Keys.CONTROL, "a")
    field.send_keys("a5", Keys.ENTER)
    cell = wait_for(lambda: "written" in browser.find_element(By.ID, "reg-10").get_attribute("class") and
                    browser.find_element(By.ID, "reg-10"), what="the read-back")
    assert cell.text == "a5"
    # The transaction log has the write with its time stamp.
    log = text_of(browser, "log")
    assert "set" in log and '"register":16' in log
    browser.save_screenshot(str(screenshots / "bus.png"))


def test_an_output_toggles_on_a_click_and_an_input_follows_its_pin(server, browser, screenshots):
    open_tab(browser, "pins")
    wait_for(lambda: text_of(browser, "pin-0-level") == "0", what="GP0 low")
    browser.find_element(By.ID, "pin-0-level").click()
    wait_for(lambda: text_of(browser, "pin-0-level") == "1", what="GP0 high")
    # GP1 flips every 300 ms on the bench: the page sees both levels.
    seen = set()
    wait_for(lambda: seen.add(text_of(browser, "pin-1-level")) or seen >= {"0", "1"}, timeout=5,
             what="GP1 at both levels")
    browser.save_screenshot(str(screenshots / "pins.png"))


def test_the_plot_receives_new_points(server, browser, screenshots):
    open_tab(browser, "analog")
    points = lambda: int(browser.find_element(By.ID, "plot-points").get_attribute("data-points"))
    first = wait_for(points, what="the first points")
    time.sleep(1.5)
    assert points() >= first + 5  # 10 a second
    assert browser.find_elements(By.CSS_SELECTOR, "#plot canvas")
    browser.save_screenshot(str(screenshots / "analog.png"))


def test_a_configuration_change_applied_shows_after_a_reload(server, browser, screenshots):
    open_tab(browser, "config")
    field = wait_for(lambda: browser.find_element(By.ID, "cfg-usb.product"), what="the configuration form")
    field.send_keys(Keys.CONTROL, "a")
    field.send_keys("Bench controller")
    wait_for(lambda: "usb.product" in text_of(browser, "config-changes"), what="the difference")
    browser.find_element(By.ID, "config-apply").click()
    wait_for(lambda: 'read back "Bench controller"' in text_of(browser, "config-result"), what="the read-back")
    browser.save_screenshot(str(screenshots / "configuration.png"))

    browser.refresh()
    wait_for(lambda: "KV000001" in text_of(browser, "chips-table"), what="the page again")
    open_tab(browser, "config")
    wait_for(lambda: browser.find_element(By.ID, "cfg-usb.product").get_attribute("value") == "Bench controller",
             what="the product string read from the chip")


def test_a_new_serial_number_for_every_chip_is_refused_unless_asked_for(server, browser, screenshots):
    open_tab(browser, "config")
    field = wait_for(lambda: browser.find_element(By.ID, "cfg-usb.serial"), what="the configuration form")
    field.send_keys(Keys.CONTROL, "a")
    field.send_keys("BATCH1")
    browser.find_element(By.ID, "batch-apply").click()
    refusal = wait_for(lambda: "the same serial number" in text_of(browser, "batch-result")
                       and text_of(browser, "batch-result"), what="the refusal")
    assert "give --serial-pattern" in refusal and "leave usb.serial out" in refusal, refusal
    browser.save_screenshot(str(screenshots / "batch-refused.png"))

    browser.find_element(By.ID, "batch-same-serial").click()
    browser.find_element(By.ID, "batch-apply").click()
    wait_for(lambda: "chip 0 (KV000001): applied — usb.serial" in text_of(browser, "batch-result"),
             what="the batch applied")
