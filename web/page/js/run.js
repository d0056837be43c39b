// RUN from the page's event loop: slices of at most about 8 ms, so that a key, RST above all,
// is handled between two of them and the page keeps drawing. A NOP's pause of a millisecond
// is a timer, never a busy wait.
const SLICE_MS = 8;
const ENDED = 0;
const PAUSED = 2;

export class Runner {
  constructor(core, schedule, live) {
    this.core = core;
    this.schedule = schedule;
    this.live = live; // live regions kept quiet while the run changes them
    this.lines = 20000; // lines a slice may run; kept near the time of a slice
    this.longest = 0; // the longest slice, for the tests
    this.busy = 0; // the time spent in slices, in ms
    this.onEnd = null;
    const channel = new MessageChannel();
    channel.port1.onmessage = () => this.slice();
    this.post = () => channel.port2.postMessage(0);
  }

  // RUN: `maxLines` < 0 runs until HLT, RST or a breakpoint.
  start(maxLines = -1) {
    if (this.core.running()) return;
    this.core.beginRun(maxLines);
    for (const el of this.live) el.setAttribute('aria-busy', 'true');
    this.schedule();
    this.post();
  }

  stop() {
    if (this.core.running()) this.core.key('RST');
  }

  slice() {
    if (!this.core.running()) return;
    const t0 = performance.now();
    const end = this.core.runSlice(this.lines, SLICE_MS);
    const dt = performance.now() - t0;
    this.longest = Math.max(this.longest, dt);
    this.busy += dt;
    // Aim just below a slice, growing at most twofold at a time.
    const aim = (this.lines * SLICE_MS * 0.9) / Math.max(dt, 0.01);
    this.lines = Math.max(1000, Math.floor(Math.min(aim, this.lines * 2, 1e8)));
    if (end === ENDED) {
      const result = this.core.finishRun();
      for (const el of this.live) el.removeAttribute('aria-busy');
      this.schedule();
      if (this.onEnd) this.onEnd(result);
      return;
    }
    this.schedule();
    // After NOP's millisecond the next slice comes as a message, not from the timer itself, so
    // that a chain of pauses is never stretched to the 4 ms that nested timers get.
    if (end === PAUSED) setTimeout(this.post, 1);
    else this.post();
  }
}
