// Where a person meets the page, in each engine: at a desktop's width the controls stand where the window's
// control table puts them; on a phone the same controls follow one another in one column, none
// wider than the screen, every button a finger's height. Screenshots of both are kept.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import { DESKTOP, PHONE, calculate, forEachEngineWithSite, waitForSelector } from './support.mjs';

// Pixels of the client area (15 twips each) as the window's control table places the controls.
const PLACES = {
  Image1: [0, 0, 190, 502],
  Label15: [208, 16, 601, 25],
  Image3: [816, 8, 72, 72],
  Label1: [192, 192, 129, 25],
  txtSerial: [328, 184, 129, 33],
  lblFirstSerial: [328, 224, 121, 25],
  Label13: [456, 320, 273, 25],
  Frame3: [240, 360, 609, 105],
  lblDate: [256, 384, 577, 65],
  lblAbout: [16, 520, 369, 25],
  cmdCalculate: [448, 512, 161, 33],
  cmdReset: [616, 512, 81, 33],
  cmdAbout: [800, 512, 81, 33],
};

async function boxes(page) {
  return page.evaluate(() => {
    const client = document.querySelector('#frmMain .client').getBoundingClientRect();
    return Object.fromEntries([...document.querySelectorAll('#frmMain .control')].map((element) => {
      const box = element.getBoundingClientRect();
      const style = getComputedStyle(element);
      return [element.id, {
        place: [box.left - client.left, box.top - client.top, box.width, box.height].map(Math.round),
        right: box.right,
        shown: style.display !== 'none' && style.visibility !== 'hidden' && box.width > 0 && box.height > 0,
      }];
    }));
  });
}

// The contrast ratio of two computed CSS colours, as WCAG defines it: "rgb(r, g, b)" (0 to 255)
// or, as WebKit gives a mixed one, "color(srgb r g b)" (0 to 1).
function contrast(one, other) {
  const luminance = (colour) => {
    const scale = colour.startsWith('color(srgb ') ? 1 : 255;
    const [r, g, b] = colour.match(/\d*\.?\d+/g).slice(0, 3).map((c) => {
      const s = Number(c) / scale;
      return s <= 0.03928 ? s / 12.92 : ((s + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
  };
  const [light, dark] = [luminance(one), luminance(other)].sort((a, b) => b - a);
  return (light + 0.05) / (dark + 0.05);
}

forEachEngineWithSite((web) => {
  test('the serial field\u2019s edge stands out from the field and the window, 3:1 as a control\u2019s edge must', async () => {
    const page = await web.open(DESKTOP);
    const [edge, field, window] = await page.evaluate(() => {
      document.activeElement.blur(); // the focus ring is another matter
      const serial = document.querySelector('#txtSerial');
      let around = serial.parentElement; // the first that paints a background
      while (getComputedStyle(around).backgroundColor === 'rgba(0, 0, 0, 0)') around = around.parentElement;
      const style = getComputedStyle(serial);
      return [style.borderTopColor, style.backgroundColor, getComputedStyle(around).backgroundColor];
    });
    for (const [name, colour] of [['the field', field], ['the window', window]]) {
      const ratio = contrast(edge, colour);
      assert.ok(ratio >= 3, `its edge ${edge} against ${name}, ${colour}: ${ratio.toFixed(2)}:1`);
    }
    await page.close();
  });

  test('at 1280x800 the controls stand where the control table puts them', async () => {
    const page = await web.open(DESKTOP);
    await calculate(page, '400');
    const placed = await boxes(page);
    for (const [name, place] of Object.entries(PLACES)) {
      assert.deepEqual(placed[name].place, place, name);
    }
    await page.screenshot(web.output('desktop-1280x800.png'));
    await page.close();
  });

  const PHONE_RULE = 'at 360x640 one column: nothing overflows the width, every control shows';
  test(PHONE_RULE, { skip: web.lacks('narrowViewport') }, async () => {
    const page = await web.open(PHONE);
    await calculate(page, '400');
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    assert.ok(width <= PHONE.width, `the page is ${width} px wide`);
    const placed = await boxes(page);
    assert.equal(Object.keys(placed).length, 23, 'every control of the client area');
    for (const [name, { place, right, shown }] of Object.entries(placed)) {
      assert.ok(shown, `${name} shows`);
      assert.ok(place[0] >= 0 && right <= PHONE.width, `${name} stands within the width`);
      if (name.startsWith('cmd') || name === 'txtSerial') assert.ok(place[3] >= 44, `${name} is ${place[3]} px high`);
    }
    assert.ok(placed.Label15.place[1] < placed.txtSerial.place[1], 'the welcome comes first');
    assert.ok(placed.txtSerial.place[1] < placed.cmdCalculate.place[1], 'Calculate under the field');
    assert.ok(placed.cmdCalculate.place[1] < placed.Frame3.place[1], 'the result under Calculate');
    assert.equal(await page.evaluate(() => document.querySelector('#txtSerial').inputMode), 'numeric');
    await page.screenshot(web.output('phone-360x640.png'));
    await page.screenshot(web.output('phone-360x640-whole.png'), { fullPage: true });
    await page.click('#cmdAbout');
    await waitForSelector(page, '#frmAbout[open]');
    const about = await page.evaluate(() => document.querySelector('#frmAbout').getBoundingClientRect().right);
    assert.ok(about <= PHONE.width, 'the About window fits the width');
    await page.screenshot(web.output('phone-360x640-about.png'));
    await page.close();
  });
});
