// The debug adapter driven by a real DAP client, the test support library that editors' own
// adapters are tested with, on the demo firmware without a window.
'use strict';

const assert = require('node:assert/strict');
const { test } = require('node:test');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const tolvan = process.env.TOLVAN_BINARY;
if (!tolvan) throw new Error('TOLVAN_BINARY must name the tolvan program');
if (!process.env.TOLVAN_FIRMWARE_SOURCE_DIR) {
  throw new Error('TOLVAN_FIRMWARE_SOURCE_DIR must name the demo firmware\'s sources');
}

// The demo's working folder goes under a scratch HOME, apart from the user's.
function scratchHome() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'tolvan-dap-'));
}

async function startClient(home) {
  // DebugClient runs "runtime executable": the program, then its one argument.
  const client = new DebugClient(tolvan, '--dap', 'tolvan', {
    env: { ...process.env, HOME: home, XDG_DATA_HOME: path.join(home, 'data') },
  });
  // Slow builds (the sanitizers) take longer for each slice.
  client.defaultTimeout = 60000;
  await client.start();
  return client;
}

const firmwareDir = process.env.TOLVAN_FIRMWARE_SOURCE_DIR;

// The first line of a source that matches, counted from 1.
function lineOf(file, pattern) {
  return fs.readFileSync(file, 'utf8').split('\n').findIndex((text) => pattern.test(text)) + 1;
}

// Where a line's code starts, as the debug information that the demo folder received says.
function addressOfLine(home, file, line) {
  const demo = path.join(home, 'data', 'tolvan', 'demo');
  const info = JSON.parse(fs.readFileSync(path.join(demo, 'TOLVAN.debug.json'), 'utf8'));
  const index = info.files.findIndex((name) => path.basename(name) === file);
  const run = info.lines.find(([, , fileIndex, runLine]) => fileIndex === index && runLine === line);
  return run[0];
}

async function evaluateAddress(client, expression) {
  const reply = await client.evaluateRequest({ expression });
  return parseInt(reply.body.memoryReference, 16);
}

async function registers(client) {
  const scopes = await client.scopesRequest({ frameId: 1 });
  const scope = scopes.body.scopes.find((s) => s.name === 'Registers');
  const reply = await client.variablesRequest({ variablesReference: scope.variablesReference });
  return Object.fromEntries(reply.body.variables.map((v) => [v.name, v.value]));
}

// The adapter's exit status, once it has ended by itself; null if it is still there after 10 s.
function exitCode(process) {
  return new Promise((resolve) => {
    const timer = setTimeout(() => resolve(null), 10000);
    const done = () => { clearTimeout(timer); resolve(process.exitCode); };
    if (process.exitCode !== null) done(); else process.once('exit', done);
  });
}

test('a debugging session on the demo firmware', async () => {
  const home = scratchHome();
  const client = await startClient(home);
  try {
    const stoppedAtEntry = client.waitForEvent('stopped');
    await Promise.all([
      client.configurationSequence(),
      client.launch({ noWindow: true, stopOnEntry: true }),
    ]);
    assert.equal((await stoppedAtEntry).body.reason, 'entry');

    // A breakpoint on a line of the firmware's source: the main loop's call of render.
    const source = path.join(firmwareDir, 'main.asm');
    const line = lineOf(source, /^\s+CALL\s+render\b/);
    const lineAddress = addressOfLine(home, 'main.asm', line);
    const set = await client.setBreakpointsRequest({ source: { path: source }, breakpoints: [{ line }] });
    assert.equal(set.body.breakpoints[0].verified, true);
    assert.equal(set.body.breakpoints[0].line, line);
    let stopped = client.waitForEvent('stopped');
    await client.continueRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'breakpoint');
    let trace = await client.stackTraceRequest({ threadId: 1 });
    assert.equal(trace.body.stackFrames[0].source.path, source);
    assert.equal(trace.body.stackFrames[0].line, line);
    assert.equal(parseInt((await registers(client)).PC, 16), lineAddress);

    // Over the call: the next line, at the address after the call's three bytes.
    stopped = client.waitForEvent('stopped');
    await client.nextRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'step');
    trace = await client.stackTraceRequest({ threadId: 1 });
    assert.equal(trace.body.stackFrames[0].line, line + 1);
    assert.equal(parseInt((await registers(client)).PC, 16), lineAddress + 3);

    // The time machine: a step back goes over the call again, to the line of the breakpoint.
    stopped = client.waitForEvent('stopped');
    await client.stepBackRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'step');
    trace = await client.stackTraceRequest({ threadId: 1 });
    assert.equal(trace.body.stackFrames[0].line, line);
    assert.equal(parseInt((await registers(client)).PC, 16), lineAddress);
    // No breakpoint was hit before this one: a reverse continue goes back to the start.
    stopped = client.waitForEvent('stopped');
    await client.reverseContinueRequest({ threadId: 1 });
    assert.equal((await stopped).body.description, 'the start of the recorded history');
    assert.equal((await registers(client)).PC, '0x0000');
    await client.setBreakpointsRequest({ source: { path: source }, breakpoints: [] });

    // Into a routine: its first line, and the caller's frame on the line of the call.
    const render = await evaluateAddress(client, 'render');
    await client.customRequest('setInstructionBreakpoints', {
      breakpoints: [{ instructionReference: '0x' + render.toString(16) }],
    });
    stopped = client.waitForEvent('stopped');
    await client.continueRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'instruction breakpoint');
    trace = await client.stackTraceRequest({ threadId: 1 });
    assert.equal(trace.body.stackFrames[0].name, 'render');
    assert.equal(trace.body.stackFrames[1].source.path, source);
    assert.equal(trace.body.stackFrames[1].line, line);

    // The disassembly names the source line of each instruction.
    const listing = await client.disassembleRequest({
      memoryReference: '0x' + lineAddress.toString(16), instructionOffset: -1, instructionCount: 3,
    });
    assert.deepEqual(listing.body.instructions.map((i) => i.line), [line - 1, line, line + 1]);
    assert.equal(listing.body.instructions[1].instruction, 'CALL  render');

    // Memory: what is written reads back, the ROM's first bytes are its jump to cold_start.
    const written = Buffer.from([0x12, 0x34, 0x56]);
    await client.customRequest('writeMemory', { memoryReference: '0x5F00', data: written.toString('base64') });
    const read = await client.customRequest('readMemory', { memoryReference: '0x5F00', count: 3 });
    assert.deepEqual(Buffer.from(read.body.data, 'base64'), written);
    const coldStart = await evaluateAddress(client, 'cold_start');
    const rom = await client.customRequest('readMemory', { memoryReference: '0x0000', count: 3 });
    assert.deepEqual([...Buffer.from(rom.body.data, 'base64')],
      [0x79, coldStart >> 8, coldStart & 0xFF]);
    assert.equal((await client.evaluateRequest({ expression: '[0x5F01]' })).body.result, '0x34');

    // A register changed by the client is what the machine runs with.
    await client.setVariableRequest({ variablesReference: 1, name: 'A', value: '0x5A' });
    assert.equal((await registers(client)).A, '0x5A');

    // A data breakpoint on the display line that every pass rebuilds stops after the write.
    await client.customRequest('setInstructionBreakpoints', { breakpoints: [] });
    const info = await client.dataBreakpointInfoRequest({ name: '0x5301' });
    await client.setDataBreakpointsRequest({
      breakpoints: [{ dataId: info.body.dataId, accessType: 'write' }],
    });
    stopped = client.waitForEvent('stopped');
    await client.continueRequest({ threadId: 1 });
    const hit = await stopped;
    assert.equal(hit.body.reason, 'data breakpoint');
    assert.match(hit.body.description, /^write to 0x5301 by the instruction at 0x[0-9A-F]{4}$/);

    // Pause while running.
    await client.setDataBreakpointsRequest({ breakpoints: [] });
    await client.continueRequest({ threadId: 1 });
    stopped = client.waitForEvent('stopped');
    await client.pauseRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'pause');

    const adapter = client._adapterProcess;
    await client.disconnectRequest({});
    assert.equal(await exitCode(adapter), 0);
  } finally {
    // stop() disconnects first, which an adapter already gone would never answer.
    if (client._adapterProcess.exitCode === null) await client.stop();
    fs.rmSync(home, { recursive: true, force: true });
  }
});

// Raw bytes on the adapter's input: a body that is not JSON is answered, and the session goes
// on; a header that cannot be followed ends it, and the adapter exits by itself.
test('malformed input', async () => {
  const home = scratchHome();
  const adapter = spawn(tolvan, ['--dap'], { env: { ...process.env, HOME: home } });
  let output = '';
  adapter.stdout.on('data', (data) => { output += data; });
  const frame = (text) => `Content-Length: ${Buffer.byteLength(text)}\r\n\r\n${text}`;
  adapter.stdin.write(frame('{"seq": 1, "type": "request", "command": '));
  adapter.stdin.write(frame('{"seq": 2, "type": "request", "command": "threads"}'));
  adapter.stdin.write('Content-Length: twelve\r\n\r\n{}');
  const code = await exitCode(adapter);
  const messages = output.split(/Content-Length: \d+\r\n\r\n/).filter(Boolean).map(JSON.parse);
  assert.equal(code, 0);
  assert.equal(messages[0].success, false);
  assert.match(messages[0].message, /invalid JSON/);
  assert.equal(messages[1].command, 'threads');
  assert.equal(messages[1].success, true);
  assert.equal(messages.at(-1).event, 'terminated');
  fs.rmSync(home, { recursive: true, force: true });
});
