return {
  defaultToken: '',
  tokenPostfix: '.swift',
  keywords: [
    'actor', 'as', 'associatedtype', 'async', 'await', 'break', 'case', 'catch', 'class', 'continue',
    'default', 'defer', 'deinit', 'do', 'else', 'enum', 'extension', 'fallthrough', 'false', 'fileprivate',
    'final', 'for', 'func', 'guard', 'if', 'import', 'in', 'init', 'inout', 'internal', 'is', 'lazy', 'let',
    'mutating', 'nil', 'open', 'operator', 'override', 'private', 'protocol', 'public', 'repeat', 'rethrows',
    'return', 'self', 'Self', 'some', 'static', 'struct', 'subscript', 'super', 'switch', 'throw', 'throws',
    'true', 'try', 'typealias', 'var', 'weak', 'where', 'while'
  ],
  operators: ['=', '>', '<', '!', '~', '?', ':', '==', '<=', '>=', '!=', '&&', '||', '++', '--', '+', '-', '*', '/',
              '&', '|', '^', '%', '<<', '>>', '+=', '-=', '*=', '/=', '%=', '->', '...', '..<', '??'],
  symbols: /[=><!~?:&|+\-*\/\^%.]+/,
  escapes: /\\(?:[0\\tnr"']|u\{[0-9A-Fa-f]{1,8}\})/,
  tokenizer: {
    root: [
      [/@[a-zA-Z_]\w*/, 'annotation'],
      [/#[a-zA-Z_]\w*/, 'keyword.directive'],
      [/[A-Z][\w]*/, 'type.identifier'],
      [/[a-z_]\w*/, { cases: { '@keywords': 'keyword', '@default': 'identifier' } }],
      { include: '@whitespace' },
      [/[{}()\[\]]/, '@brackets'],
      [/@symbols/, { cases: { '@operators': 'operator', '@default': '' } }],
      [/\d+\.\d+([eE][\-+]?\d+)?/, 'number.float'],
      [/0[xX][0-9a-fA-F_]+/, 'number.hex'],
      [/0[bB][01_]+/, 'number.binary'],
      [/\d[\d_]*/, 'number'],
      [/[;,.]/, 'delimiter'],
      [/"""/, 'string', '@multilineString'],
      [/"/, 'string', '@string']
    ],
    whitespace: [
      [/[ \t\r\n]+/, ''],
      [/\/\*/, 'comment', '@comment'],
      [/\/\/.*$/, 'comment']
    ],
    comment: [
      [/[^\/*]+/, 'comment'],
      [/\/\*/, 'comment', '@push'],
      [/\*\//, 'comment', '@pop'],
      [/[\/*]/, 'comment']
    ],
    string: [
      [/[^\\"]+/, 'string'],
      [/@escapes/, 'string.escape'],
      [/\\\(/, 'delimiter.interpolation', '@interpolation'],
      [/\\./, 'string.escape.invalid'],
      [/"/, 'string', '@pop']
    ],
    multilineString: [
      [/[^\\"]+/, 'string'],
      [/@escapes/, 'string.escape'],
      [/\\\(/, 'delimiter.interpolation', '@interpolation'],
      [/"""/, 'string', '@pop'],
      [/["\\]/, 'string']
    ],
    interpolation: [
      [/\)/, 'delimiter.interpolation', '@pop'],
      { include: 'root' }
    ]
  }
};
