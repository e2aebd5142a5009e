// The page as a person uses it, in each engine: keys typed into the serial field, Enter, the
// buttons, the boxes they bring and their answers, the About window, the close box.

import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  announced, answerBox, calculate, forEachEngineWithSite, has, messageBox, paste, textOf, waitForSelector,
} from './support.mjs';

const RANGE = {
  title: 'Invalid Serial Number',
  text: 'Please enter a serial number between 1 and 15076231',
  buttons: ['OK'],
  focused: 'OK',
};

// typed, then Enter: the sentence shown, or the box
const CASES = [
  ['the second worked example', '400', '400 was built on January 9, 1909.'],
  ['the first worked example: an average below one is one', '5', '5 was built on October 25, 1908.'],
  ['the first serial', '1', '1 was built on October 21, 1908.'],
  ['the last serial', '15076231', '15076231 was built on December 31, 1927.'],
  ['a month\u2019s last serial is its last day', '646', '646 was built on January 31, 1909.'],
  ['the row of October to December 1912', '157425', '157425 was built on Oct-Dec 1, 1912.'],
  ['leading zeros vanish as they are typed', '007', '7 was built on October 27, 1908.'],
  ['above the last serial', '15076232', RANGE],
  ['zero', '0', RANGE],
  ['a serial in no month', '2831427', {
    title: 'Serial Number Not Found',
    text: 'No production month is recorded for serial number 2831427.',
    buttons: ['OK'],
    focused: 'OK',
  }],
];

forEachEngineWithSite((web) => {
  test('Enter calculates what was typed, as the window does', async (t) => {
    const page = await web.open();
    for (const [rule, typed, expected] of CASES) {
      await t.test(rule, async () => {
        const before = await textOf(page, '#lblDate');
        await calculate(page, typed);
        if (typeof expected === 'string') {
          assert.equal(await textOf(page, '#lblDate'), expected);
          assert.equal(await announced(page), expected);
          assert.equal(await messageBox(page, { wait: false }), null);
        } else {
          assert.deepEqual(await messageBox(page), expected);
          await answerBox(page, 'Enter');
          assert.equal(await textOf(page, '#lblDate'), before, 'the result stays as it was');
        }
      });
    }
    await page.close();
  });

  test('the same sentence twice is announced twice', async () => {
    const page = await web.open();
    await calculate(page, '400');
    assert.equal(await announced(page), '400 was built on January 9, 1909.');
    await page.evaluate(() => { // every text the region holds from here, in order
      const region = document.querySelector('#announcements');
      globalThis.spoken = [];
      new MutationObserver(() => globalThis.spoken.push(region.textContent))
        .observe(region, { childList: true, characterData: true, subtree: true });
    });
    await page.click('#cmdCalculate');
    await page.waitFor(() => globalThis.spoken.at(-1) !== '' && globalThis.spoken.length > 1, { timeout: 10000 })
      .catch(() => null);
    assert.deepEqual(await page.evaluate(() => globalThis.spoken), ['', '400 was built on January 9, 1909.']);
    await page.close();
  });

  test('typing stops at eight characters', async () => {
    const page = await web.open();
    await page.type('#txtSerial', '1234567890');
    assert.equal(await textOf(page, '#txtSerial'), '12345678');
    await page.close();
  });

  test('a paste comes whole', { skip: web.lacks('clipboard') }, async () => {
    const page = await web.open();
    await page.type('#txtSerial', '1234567890');
    await page.evaluate(() => document.querySelector('#txtSerial').select());
    await paste(page, '15,076,231\n42');
    assert.equal(await textOf(page, '#txtSerial'), '15076231');
    await page.press('Enter');
    assert.equal(await textOf(page, '#lblDate'), '15076231 was built on December 31, 1927.');
    await page.close();
  });

  test('Reset asks first; No keeps everything, Yes brings the prompt and zeros back', async () => {
    const page = await web.open();
    await calculate(page, '400');
    const figures = ['#lblFirstSerial', '#lblLastSerial', '#lblProductionTotal', '#lblProductionAverage'];
    const shown = async () => Promise.all([...figures, '#lblDate', '#txtSerial'].map((s) => textOf(page, s)));
    const result = await shown();
    assert.deepEqual(result, ['310', '646', '336', '11', '400 was built on January 9, 1909.', '400']);

    const question = {
      title: 'Reset Calculator',
      text: 'Are you sure you want to reset the calculator? This action cannot be undone.',
      buttons: ['Yes', 'No'],
      focused: 'Yes',
    };
    await page.press('r', ['Alt']);
    assert.deepEqual(await messageBox(page), question);
    await page.press('Tab'); // to No
    await answerBox(page, 'Enter');
    assert.deepEqual(await shown(), result);

    await page.click('#cmdReset');
    assert.deepEqual(await messageBox(page), question);
    await answerBox(page, 'Enter'); // Yes, the default
    const prompt = "Enter your serial number, then click 'Calculate' to reveal the build date.";
    assert.deepEqual(await shown(), ['0', '0', '0', '0', prompt, '']);
    assert.equal(await announced(page), prompt);
    await page.close();
  });

  test('About shows the identity and closes with Close, not with Escape', async () => {
    const page = await web.open();
    await page.click('#cmdAbout');
    await waitForSelector(page, '#frmAbout[open]');
    const texts = await page.evaluate(() => [...document.querySelectorAll('#frmAbout .label')]
      .map((label) => label.textContent));
    assert.deepEqual(texts.slice(0, 3), ['Quorvin Halvex Build Date Calculator 1.0', 'Version:', 'V1.0.22']);
    assert.match(texts[3], /^© 2026 Tarnwick Motor Archive Software\. All rights reserved\.$/);
    assert.match(texts[4], /^Warning: this computer program is protected by copyright law/);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'about-cmdClose');
    await page.press('Escape');
    assert.ok(await has(page, '#frmAbout[open]'), 'Escape does nothing');
    await page.press('Enter');
    await waitForSelector(page, '#frmAbout[open]', { hidden: true });
    await calculate(page, '400');
    assert.equal(await textOf(page, '#lblDate'), '400 was built on January 9, 1909.');
    await page.close();
  });

  test('the close box asks; No keeps the page, Yes ends it', async () => {
    const page = await web.open();
    await calculate(page, '400');
    await page.click('.window.main .close-box');
    assert.deepEqual(await messageBox(page), {
      title: 'Close Calculator',
      text: 'Are you sure you want to close Quorvin Halvex Build Date Calculator?',
      buttons: ['Yes', 'No'],
      focused: 'Yes',
    });
    await page.click('dialog.message-box button[value="No"]');
    assert.equal(await textOf(page, '#lblDate'), '400 was built on January 9, 1909.');
    await page.click('.window.main .close-box');
    await messageBox(page);
    await page.click('dialog.message-box button[value="Yes"]');
    await waitForSelector(page, '.ended');
    assert.equal(await has(page, '#frmMain'), false);
    await page.close();
  });

  // Every node of Chromium's accessibility tree, depth first.
  function* nodes(node) {
    yield node;
    for (const child of node.children ?? []) yield* nodes(child);
  }

  test('the accessibility tree: a named field, the result in a live region, the boxes',
    { skip: web.lacks('accessibilityTree') }, async () => {
    const page = await web.open();
    await calculate(page, '400');
    await announced(page);
    const tree = [...nodes(await page.raw.accessibility.snapshot({ interestingOnly: false }))];
    const find = (role, name) => tree.find((node) => node.role === role && (name === undefined || node.name === name));
    const { name, value, focused, description } = find('textbox');
    assert.deepEqual({ name, value, focused, description }, {
      name: 'Serial Number:', value: '400', focused: true,
      description: 'The serial number of your Halvex, from 1 to 15076231. Press Enter to calculate.',
    });
    const spoken = [...nodes(find('status'))].filter((node) => node.role === 'StaticText');
    assert.deepEqual(spoken.map((node) => node.name), ['400 was built on January 9, 1909.'], 'a live region');
    assert.equal(find('group')?.name, 'Results');
    for (const [name, keys] of [['Calculate', 'Alt+C'], ['Reset', 'Alt+R'], ['About', 'Alt+A']]) {
      assert.equal(find('button', name)?.keyshortcuts, keys, name);
    }
    assert.equal(find('image'), undefined, 'the pictures are decorations');

    await page.click('#cmdReset');
    await messageBox(page);
    const dialog = [...nodes(await page.raw.accessibility.snapshot())].find((node) => node.role === 'dialog');
    assert.equal(dialog.name, 'Reset Calculator');
    assert.equal(dialog.modal, true);
    assert.deepEqual([...nodes(dialog)].filter((node) => node.focused).map((node) => node.name), ['Yes']);
    await page.close();
  });

  test('numbers are grouped as the browser\u2019s language groups them', async () => {
    const page = await web.open(undefined, 'de-DE');
    await calculate(page, '9000000');
    assert.equal(await textOf(page, '#lblProductionTotal'), '165.305');
    await page.close();
  });
});
