// The client half of the mission support: VS Code colours the files with the
// grammar on its own; everything that needs to understand a mission
// (diagnostics, formatting, symbols, navigation, completion, rename) comes
// from `zeb lsp`, started here over stdio.
'use strict';

const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

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

function activate(context) {
  context.subscriptions.push(
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
