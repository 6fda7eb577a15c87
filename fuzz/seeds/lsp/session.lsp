#Content-Length: 134

{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"processId":null,"capabilities":{"general":{"positionEncodings":["utf-16"]}}}}Content-Length: 52

{"jsonrpc":"2.0","method":"initialized","params":{}}Content-Length: 769

{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///m.mission","languageId":"mission","version":1,"text":"// The smallest useful mission: one location, two areas, one team that\n// patrols between them.\nmission \"Night watch\"\n{\n  author \"examples\";\n  description \"One guard walks between the gate and the yard\";\n  rules { };\n  map \"Depot\"\n  {\n    location gate = <0, 0, 0>;\n    location yard = <40, 10, 0>\n    area front { style = open; locations = gate; };\n    area back  { style = open; locations = yard; }\n  };\n  force \"guards\"\n  {\n    team \"watch\"\n    {\n      npc \"guard\" \"g1\" { weapon \"pistol\"; skill = 1 }\n    };\n  };\n  objectives { };\n  plan \"watch\" { patrol; wait forever };\n}\n"}}}Content-Length: 145

{"jsonrpc":"2.0","id":2,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":9,"character":14}}}Content-Length: 151

{"jsonrpc":"2.0","id":3,"method":"textDocument/completion","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":22,"character":18}}}Content-Length: 151

{"jsonrpc":"2.0","id":4,"method":"textDocument/definition","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":11,"character":42}}}Content-Length: 188

{"jsonrpc":"2.0","id":5,"method":"textDocument/references","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":9,"character":14},"context":{"includeDeclaration":true}}}Content-Length: 117

{"jsonrpc":"2.0","id":6,"method":"textDocument/documentSymbol","params":{"textDocument":{"uri":"file:///m.mission"}}}Content-Length: 157

{"jsonrpc":"2.0","id":7,"method":"textDocument/formatting","params":{"textDocument":{"uri":"file:///m.mission"},"options":{"tabSize":2,"insertSpaces":true}}}Content-Length: 153

{"jsonrpc":"2.0","id":8,"method":"textDocument/prepareRename","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":9,"character":14}}}Content-Length: 165

{"jsonrpc":"2.0","id":9,"method":"textDocument/rename","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":9,"character":14},"newName":"portal"}}Content-Length: 768

{"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file:///m.mission","version":2},"contentChanges":[{"text":"// The smallest useful mission: one location, two areas, one team that\n// patrols between them.\nmission \"Night watch\"\n{\n  author \"examples\";\n  description \"One guard walks between the gate and the yard\";\n  rules { };\n  map \"Depot\"\n  {\n    location gate = <0, 0, 0>;\n    location yard = <40, 10, 0>\n    area front { style = open; locations = gat; };\n    area back  { style = open; locations = yard; }\n  };\n  force \"guards\"\n  {\n    team \"watch\"\n    {\n      npc \"guard\" \"g1\" { weapon \"pistol\"; skill = 1 }\n    };\n  };\n  objectives { };\n  plan \"watch\" { patrol; wait forever };\n}\n"}]}}Content-Length: 147

{"jsonrpc":"2.0","id":10,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///m.mission"},"position":{"line":12,"character":40}}}Content-Length: 104

{"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":"file:///m.mission"}}}Content-Length: 59

{"jsonrpc":"2.0","id":11,"method":"shutdown","params":null}Content-Length: 47

{"jsonrpc":"2.0","method":"exit","params":null}