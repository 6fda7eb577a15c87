#Content-Length: 75

{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}Content-Length: twelve

{"jsonrpc"}Content-Type: text/plain

{}Content-Length: 99999999999999

{}content-length: 17

{"jsonrpc":"2.0"}Content-Length: 27

{"jsonrpc": "2.0", "id": 4,Content-Length: 6

[1, 2]Content-Length: 59

{"jsonrpc":"2.0","id":7,"method":"textDocument/frobnicate"}Content-Length: 82

{"jsonrpc":"2.0","id":5,"method":"textDocument/hover","params":{"textDocument":1}}Content-Length: 146

{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///m","version":1,"text":"/* ÿþÃ \ud83d */ mission oops"}}}Content-Length: 143

{"jsonrpc":"2.0","id":8,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///m"},"position":{"line":1000,"character":99999}}}Content-Length: 5000

{"jsonrpc":"2.0"}Content-Length: 109

{"jsonrpc":"2.0","id":9,"method":"textDocument/documentSymbol","params":{"textDocument":{"uri":"file:///m"}}}Content-Length: 100

{"jsonrpc":