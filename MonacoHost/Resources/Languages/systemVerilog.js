return {
  defaultToken: '',
  tokenPostfix: '.sv',
  keywords: [
    'always', 'always_comb', 'always_ff', 'always_latch', 'and', 'assert', 'assign', 'assume', 'automatic',
    'begin', 'bit', 'break', 'byte', 'case', 'casex', 'casez', 'class', 'const', 'constraint', 'continue',
    'cover', 'default', 'defparam', 'disable', 'do', 'else', 'end', 'endcase', 'endclass', 'endfunction',
    'endgenerate', 'endinterface', 'endmodule', 'endpackage', 'endprogram', 'endtask', 'enum', 'export',
    'extends', 'final', 'for', 'force', 'foreach', 'forever', 'fork', 'function', 'generate', 'genvar', 'if',
    'import', 'initial', 'inout', 'input', 'int', 'integer', 'interface', 'join', 'join_any', 'join_none',
    'localparam', 'logic', 'longint', 'modport', 'module', 'negedge', 'new', 'not', 'null', 'or', 'output',
    'package', 'packed', 'parameter', 'posedge', 'program', 'property', 'rand', 'randc', 'real', 'reg',
    'release', 'repeat', 'return', 'shortint', 'signed', 'static', 'string', 'struct', 'super', 'task', 'this',
    'time', 'tri', 'typedef', 'union', 'unique', 'unsigned', 'virtual', 'void', 'wait', 'while', 'wire', 'xor'
  ],
  operators: ['=', '<=', '>=', '==', '!=', '===', '!==', '==?', '!=?', '&&', '||', '!', '~', '&', '|', '^', '~&',
              '~|', '~^', '^~', '<<', '>>', '<<<', '>>>', '+', '-', '*', '/', '%', '**', '?', ':', '->', '<->',
              '++', '--', '+=', '-=', '|->', '|=>'],
  symbols: /[=><!~?:&|+\-*\/\^%]+/,
  tokenizer: {
    root: [
      [/`[a-zA-Z_]\w*/, 'keyword.directive'],
      [/\$[a-zA-Z_]\w*/, 'predefined'],
      [/[a-zA-Z_]\w*/, { cases: { '@keywords': 'keyword', '@default': 'identifier' } }],
      { include: '@whitespace' },
      [/[{}()\[\]]/, '@brackets'],
      [/@symbols/, { cases: { '@operators': 'operator', '@default': '' } }],
      [/\d*'[sS]?[bB][01xXzZ?_]+/, 'number.binary'],
      [/\d*'[sS]?[oO][0-7xXzZ?_]+/, 'number.octal'],
      [/\d*'[sS]?[dD][0-9_]+/, 'number'],
      [/\d*'[sS]?[hH][0-9a-fA-FxXzZ?_]+/, 'number.hex'],
      [/\d+\.\d+([eE][\-+]?\d+)?/, 'number.float'],
      [/\d[\d_]*/, 'number'],
      [/[;,.#@]/, 'delimiter'],
      [/"/, 'string', '@string']
    ],
    whitespace: [
      [/[ \t\r\n]+/, ''],
      [/\/\*/, 'comment', '@comment'],
      [/\/\/.*$/, 'comment']
    ],
    comment: [
      [/[^\/*]+/, 'comment'],
      [/\*\//, 'comment', '@pop'],
      [/[\/*]/, 'comment']
    ],
    string: [
      [/[^\\"]+/, 'string'],
      [/\\./, 'string.escape'],
      [/"/, 'string', '@pop']
    ]
  }
};
