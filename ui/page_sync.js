// The page shown beside the source: marks the character the source's cursor
// stands at, and tells the window which character a click fell on. The window
// calls zelvatoPage; the page answers through console messages "zelvato:…".
(function () {
  'use strict';
  if (window.zelvatoPage) return;

  // A grid row is monospaced: ASCII and half-width katakana take one display
  // position, every other character two; every cell takes four.
  function width(code) {
    return code < 0x80 || (code >= 0xff61 && code <= 0xff9f) ? 1 : 2;
  }

  // The text nodes of an element in order, those of the ruby (rt, rp) left out when asked.
  function textNodes(element, leaveRuby) {
    const nodes = [];
    const walker = document.createTreeWalker(element, NodeFilter.SHOW_TEXT, {
      acceptNode: function (node) {
        if (leaveRuby && node.parentElement && node.parentElement.closest('rt, rp'))
          return NodeFilter.FILTER_REJECT;
        return NodeFilter.FILTER_ACCEPT;
      },
    });
    for (let node = walker.nextNode(); node; node = walker.nextNode()) nodes.push(node);
    return nodes;
  }

  // A range over the characters [from, to) of the nodes' text taken together.
  function rangeOver(nodes, from, to) {
    let start = null;
    let seen = 0;
    const range = document.createRange();
    for (const node of nodes) {
      const length = node.data.length;
      if (start === null && from < seen + length) {
        range.setStart(node, from - seen);
        start = node;
      }
      if (start !== null && to <= seen + length) {
        range.setEnd(node, to - seen);
        return range;
      }
      seen += length;
    }
    return null;
  }

  // The character index of (node, offset) in the nodes' text taken together.
  function indexOf(nodes, node, offset) {
    let seen = 0;
    for (const n of nodes) {
      if (n === node) return seen + offset;
      seen += n.data.length;
    }
    return -1;
  }

  // The rows of a grid block: where each begins in the block's text, and its text.
  function gridRows(text) {
    const rows = [];
    let start = 0;
    for (const line of text.split('\n')) {
      if (line.length > 0) rows.push({start: start, text: line});
      start += line.length + 1;
    }
    return rows;
  }

  const marker = document.createElement('div');
  marker.id = 'zelvato-mark';
  marker.style.cssText =
    'position:absolute;pointer-events:none;z-index:2147483647;display:none;' +
    'background:rgba(255,190,0,0.35);outline:2px solid rgba(220,120,0,0.9);';

  // Marks the range and, when asked, brings it into view, in the middle when it was out of sight.
  function show(range, scroll) {
    if (!range) return false;
    const rects = range.getClientRects();
    const rect = rects.length > 0 ? rects[0] : range.getBoundingClientRect();
    if (!marker.parentNode) document.body.appendChild(marker);
    const outside =
      rect.top < 0 || rect.left < 0 || rect.bottom > window.innerHeight || rect.right > window.innerWidth;
    if (outside && scroll) {
      const x = window.scrollX + rect.left + rect.width / 2 - window.innerWidth / 2;
      const columns = columnsOf(range);
      if (columns) {
        // A flowing page is a screen high, its columns one below the other:
        // the column that holds the character fills the screen.
        const n = Math.max(0, Math.floor((window.scrollY + rect.top - columns.top) / columns.pitch));
        window.scrollTo(x, columns.top + n * columns.pitch - columns.padding);
      } else {
        window.scrollTo(x, window.scrollY + rect.top + rect.height / 2 - window.innerHeight / 2);
      }
    }
    const placed = range.getClientRects().length > 0 ? range.getClientRects()[0] : range.getBoundingClientRect();
    marker.style.left = placed.left + window.scrollX + 'px';
    marker.style.top = placed.top + window.scrollY + 'px';
    marker.style.width = Math.max(placed.width, 2) + 'px';
    marker.style.height = Math.max(placed.height, 2) + 'px';
    marker.style.display = 'block';
    page.marked = range.toString();
    return true;
  }

  // The columns of a flowing page, one below the other: where the first
  // begins on the page, the distance from one to the next, the padding above.
  function columnsOf(range) {
    const element = range.startContainer.parentElement || range.startContainer;
    const main = element.closest && element.closest('main');
    if (!main) return null;
    const style = getComputedStyle(main);
    const width = parseFloat(style.columnWidth);
    if (!(width > 0)) return null;
    const gap = parseFloat(style.columnGap) || 0;
    const padding = parseFloat(style.paddingTop) || 0;
    return {
      top: main.getBoundingClientRect().top + window.scrollY + padding,
      pitch: width + gap,
      padding: padding,
    };
  }

  function marksOf() {
    return document.querySelectorAll('[data-o]');
  }

  const page = {
    bars: 0,  // 1 when a bar stands between the cells of a row
    marked: '',

    // Grid pages: the cell of block b, row (1 the top), column from the left (0).
    markCell: function (b, row, column, scroll) {
      const block = document.getElementsByTagName('pre')[b];
      if (!block) return false;
      const nodes = textNodes(block, false);
      const text = nodes.map(function (n) { return n.data; }).join('');
      const line = gridRows(text)[row - 1];
      if (!line) return false;
      const first = column * (4 + page.bars);
      let position = 0, from = -1, to = line.text.length;
      for (let i = 0; i < line.text.length; ++i) {
        if (from < 0 && position >= first) from = i;
        if (from >= 0 && position >= first + 4) { to = i; break; }
        const code = line.text.charCodeAt(i);
        if (code >= 0xdc00 && code <= 0xdfff) continue;  // the second half of a pair took its two positions
        position += width(code);
      }
      if (from < 0) return false;
      // The cell's character, without the padding around it.
      while (from < to - 1 && line.text[from] === ' ') ++from;
      while (to > from + 1 && line.text[to - 1] === ' ') --to;
      return show(rangeOver(nodes, line.start + from, line.start + to), scroll);
    },

    // Flowing pages: where each paragraph begins in the source, in page order.
    paragraphStarts: function () {
      return Array.prototype.map.call(marksOf(), function (e) { return Number(e.dataset.o); });
    },

    // Flowing pages: the character `count` (0 the first) of the n-th marked paragraph.
    markText: function (n, count, scroll) {
      const element = marksOf()[n];
      if (!element) return false;
      const nodes = textNodes(element, true);
      const length = nodes.reduce(function (sum, node) { return sum + node.data.length; }, 0);
      if (length === 0) return show(rangeOfElement(element), scroll);
      const at = Math.max(0, Math.min(count, length - 1));
      const code = nodes.length ? indexCode(nodes, at) : 0;
      const end = code >= 0xd800 && code <= 0xdbff ? at + 2 : at + 1;
      return show(rangeOver(nodes, at, Math.min(end, length)), scroll);
    },

    place: function () { return [window.scrollX, window.scrollY]; },
    restore: function (x, y) { window.scrollTo(x, y); },
  };

  function rangeOfElement(element) {
    const range = document.createRange();
    range.selectNodeContents(element);
    return range;
  }

  function indexCode(nodes, at) {
    let seen = 0;
    for (const n of nodes) {
      if (at < seen + n.data.length) return n.data.charCodeAt(at - seen);
      seen += n.data.length;
    }
    return 0;
  }

  // The character under a point: the caret's side that holds the point.
  function characterAt(x, y) {
    const caret = document.caretRangeFromPoint(x, y);
    if (!caret || caret.startContainer.nodeType !== Node.TEXT_NODE) return null;
    const node = caret.startContainer;
    for (const offset of [caret.startOffset, caret.startOffset - 1]) {
      if (offset < 0 || offset >= node.data.length) continue;
      const range = document.createRange();
      range.setStart(node, offset);
      range.setEnd(node, offset + 1);
      for (const r of range.getClientRects())
        if (x >= r.left - 1 && x <= r.right + 1 && y >= r.top - 1 && y <= r.bottom + 1)
          return {node: node, offset: offset};
    }
    return {node: node, offset: Math.min(caret.startOffset, node.data.length - 1)};
  }

  document.addEventListener('click', function (event) {
    const at = characterAt(event.clientX, event.clientY);
    if (!at) return;
    const element = at.node.parentElement;
    const block = element && element.closest('pre');
    if (block) {
      const nodes = textNodes(block, false);
      const index = indexOf(nodes, at.node, at.offset);
      const text = nodes.map(function (n) { return n.data; }).join('');
      const rows = gridRows(text);
      for (let r = 0; r < rows.length; ++r) {
        const row = rows[r];
        if (index < row.start || index >= row.start + row.text.length) continue;
        let position = 0;
        for (let i = row.start; i < index; ++i) {
          const code = text.charCodeAt(i);
          if (!(code >= 0xdc00 && code <= 0xdfff)) position += width(code);
        }
        const b = Array.prototype.indexOf.call(document.getElementsByTagName('pre'), block);
        console.log('zelvato:cell:' + b + ':' + (r + 1) + ':' + Math.floor(position / (4 + page.bars)));
        return;
      }
      return;
    }
    const paragraph = element && element.closest('[data-o]');
    if (!paragraph || (element.closest('rt, rp'))) return;
    const nodes = textNodes(paragraph, true);
    const index = indexOf(nodes, at.node, at.offset);
    if (index >= 0) console.log('zelvato:text:' + paragraph.dataset.o + ':' + index);
  });

  // The reader's place, for the next load of the page.
  let told = 0;
  window.addEventListener('scroll', function () {
    if (told) return;
    told = window.setTimeout(function () {
      told = 0;
      console.log('zelvato:place:' + window.scrollX + ':' + window.scrollY);
    }, 100);
  });

  window.zelvatoPage = page;
})();
