// Starts the debug adapter for the "tolvan" debugger type: the tolvan program with --dap,
// found on PATH or named by the tolvan.executable setting.
'use strict';

const vscode = require('vscode');

function activate(context) {
  context.subscriptions.push(
    vscode.debug.registerDebugAdapterDescriptorFactory('tolvan', {
      createDebugAdapterDescriptor() {
        const program = vscode.workspace.getConfiguration('tolvan').get('executable') || 'tolvan';
        return new vscode.DebugAdapterExecutable(program, ['--dap']);
      },
    }),
  );
}

function deactivate() {}

module.exports = { activate, deactivate };
