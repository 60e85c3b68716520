// The debug adapter driven by a real DAP client, the test support library that editors' own
// adapters are tested with, on the demo firmware without a window.
'use strict';

const assert = require('node:assert/strict');
const { test } = require('node:test');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const tolvan = process.env.TOLVAN_BINARY;
if (!tolvan) throw new Error('TOLVAN_BINARY must name the tolvan program');

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

    // A breakpoint on a routine of the main loop, by the address that its label names.
    const render = await evaluateAddress(client, 'render');
    const set = await client.customRequest('setInstructionBreakpoints', {
      breakpoints: [{ instructionReference: '0x' + render.toString(16) }],
    });
    assert.equal(set.body.breakpoints[0].verified, true);
    let stopped = client.waitForEvent('stopped');
    await client.continueRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'instruction breakpoint');
    const trace = await client.stackTraceRequest({ threadId: 1 });
    assert.equal(parseInt(trace.body.stackFrames[0].instructionPointerReference, 16), render);
    assert.equal(trace.body.stackFrames[0].name, 'render');
    // render is called from the main loop: its return address is the caller's frame.
    assert.match(trace.body.stackFrames[1].name, /^main_idle\+\d+$/);
    assert.equal(parseInt((await registers(client)).PC, 16), render);

    // Stepping over the first instruction of render moves PC by its length.
    const first = await client.disassembleRequest({
      memoryReference: '0x' + render.toString(16), instructionCount: 2, resolveSymbols: true,
    });
    const [here, after] = first.body.instructions;
    assert.equal(parseInt(here.address, 16), render);
    assert.equal(parseInt(after.address, 16), render + here.instructionBytes.split(' ').length);
    stopped = client.waitForEvent('stopped');
    await client.nextRequest({ threadId: 1 });
    assert.equal((await stopped).body.reason, 'step');
    assert.equal(parseInt((await registers(client)).PC, 16), parseInt(after.address, 16));

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
