// vsce packs only what lies inside this folder, and the grammar has one home
// for every editor: editors/mission.tmLanguage.json. It is copied in just
// before packaging (the vscode:prepublish step) and never committed here.
'use strict';

const fs = require('fs');
const path = require('path');

const source = path.join(__dirname, '..', 'mission.tmLanguage.json');
const target = path.join(__dirname, 'syntaxes', 'mission.tmLanguage.json');
fs.mkdirSync(path.dirname(target), { recursive: true });
fs.copyFileSync(source, target);
