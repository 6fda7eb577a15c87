// The client half of the mission support: VS Code colours the files with the
// grammar on its own; everything that needs to understand a mission
// (diagnostics, formatting, symbols, navigation, completion, rename, the
// map) comes from `zeb lsp`, started here over stdio.
'use strict';

const path = require('path');
const vscode = require('vscode');
const { LanguageClient, ExecuteCommandRequest } = require('vscode-languageclient/node');

let client;
// One map panel per mission document, by the document's URI.
const mapPanels = new Map();
// How long typing may pause before an open map is drawn again.
const MAP_REFRESH_MS = 400;

function zebPath() {
  return vscode.workspace.getConfiguration('zeb').get('path') || 'zeb';
}

async function start() {
  // No transport is named on purpose: with one, the client adds --stdio to
  // the arguments, and `zeb lsp` speaks over stdio without being told.
  const server = { command: zebPath(), args: ['lsp'] };
  client = new LanguageClient('zeb', 'zeb lsp', server, {
    documentSelector: [
      { scheme: 'file', language: 'mission' },
      { scheme: 'untitled', language: 'mission' },
    ],
  });
  try {
    await client.start();
  } catch (error) {
    client = undefined;
    vscode.window.showErrorMessage(
      `Could not start "${zebPath()} lsp" (${error.message}). ` +
        'Set zeb.path to the zeb executable, or put zeb on PATH.'
    );
  }
}

async function stop() {
  if (!client) return;
  const running = client;
  client = undefined;
  await running.stop();
}

function escapeHtml(text) {
  return text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}

// The server's SVG inline in a page that runs nothing: each point's name
// and height show as the SVG's own tooltips.
function mapPage(svg, problem) {
  const note = problem ? `<p class="problem">${escapeHtml(problem)}</p>` : '';
  const picture = svg ? svg.replace(/^<\?xml[^>]*>\s*/, '') : '';
  return `<!DOCTYPE html>
<html><head><meta charset="UTF-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline';">
<style>
  body { background: #fff; margin: 0; padding: 8px; }
  .problem { font-family: sans-serif; color: #a00; margin: 0 0 8px; }
  svg { max-width: 100%; height: auto; }
</style></head>
<body>${note}${picture}</body></html>`;
}

// zeb.showMap is the server's command: the client registers it with VS Code
// by that name, so the editor's own command has another one.
async function drawMap(entry) {
  if (!client) {
    entry.panel.webview.html = mapPage(entry.svg, 'zeb lsp is not running: see zeb.path in the settings.');
    return;
  }
  try {
    entry.svg = await client.sendRequest(ExecuteCommandRequest.type, {
      command: 'zeb.showMap',
      arguments: [client.code2ProtocolConverter.asUri(entry.document.uri)],
    });
    entry.panel.webview.html = mapPage(entry.svg);
  } catch (error) {
    // The last good picture stays while the text has an error.
    entry.panel.webview.html = mapPage(entry.svg, error.message);
  }
}

async function openMap() {
  const editor = vscode.window.activeTextEditor;
  if (!editor || editor.document.languageId !== 'mission') {
    vscode.window.showInformationMessage('Open a mission file to see its map.');
    return;
  }
  const document = editor.document;
  const key = document.uri.toString();
  let entry = mapPanels.get(key);
  if (entry) {
    entry.panel.reveal(vscode.ViewColumn.Beside, true);
  } else {
    const panel = vscode.window.createWebviewPanel(
      'zebMap',
      `Map: ${path.basename(document.uri.path)}`,
      { viewColumn: vscode.ViewColumn.Beside, preserveFocus: true },
      { enableScripts: false }
    );
    entry = { panel, document, svg: undefined, timer: undefined };
    mapPanels.set(key, entry);
    panel.onDidDispose(() => {
      clearTimeout(entry.timer);
      mapPanels.delete(key);
    });
  }
  await drawMap(entry);
}

function redrawLater(document) {
  const entry = mapPanels.get(document.uri.toString());
  if (!entry) return;
  entry.document = document;
  clearTimeout(entry.timer);
  entry.timer = setTimeout(() => drawMap(entry), MAP_REFRESH_MS);
}

function activate(context) {
  context.subscriptions.push(
    vscode.commands.registerCommand('zeb.openMap', openMap),
    vscode.workspace.onDidChangeTextDocument((event) => redrawLater(event.document)),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (!event.affectsConfiguration('zeb.path')) return;
      await stop();
      await start();
    }),
    { dispose: stop }
  );
  return start();
}

function deactivate() {
  return stop();
}

module.exports = { activate, deactivate };
