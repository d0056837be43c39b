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
    this.interval = 0; // ms after each line of a slow RUN ("Скорость"); 0 at full speed
    this.slow = false; // this run goes line by line
    this.timer = 0; // the pause after a slow line
    const channel = new MessageChannel();
    channel.port1.onmessage = () => this.slice();
    this.post = () => channel.port2.postMessage(0);
  }

  // RUN: `maxLines` < 0 runs until HLT, RST or a breakpoint.
  start(maxLines = -1) {
    if (this.core.running()) return;
    this.core.beginRun(maxLines);
    this.slow = this.interval > 0;
    for (const el of this.live) el.setAttribute('aria-busy', 'true');
    this.schedule();
    this.post();
  }

  stop() {
    if (this.core.running()) this.core.key('RST');
    this.hurry();
  }

  // After RST: a slow run stops at once, not after its pause.
  hurry() {
    if (!this.timer) return;
    clearTimeout(this.timer);
    this.slice();
  }

  slice() {
    this.timer = 0;
    if (!this.core.running()) return;
    if (this.slow) {
      this.slowLine();
      return;
    }
    const t0 = performance.now();
    const end = this.core.runSlice(this.lines, SLICE_MS);
    const dt = performance.now() - t0;
    this.longest = Math.max(this.longest, dt);
    this.busy += dt;
    // Aim just below a slice, growing at most twofold at a time.
    const aim = (this.lines * SLICE_MS * 0.9) / Math.max(dt, 0.01);
    this.lines = Math.max(1000, Math.floor(Math.min(aim, this.lines * 2, 1e8)));
    if (end === ENDED) {
      this.ended();
      return;
    }
    this.schedule();
    // After NOP's millisecond the next slice comes as a message, not from the timer itself, so
    // that a chain of pauses is never stretched to the 4 ms that nested timers get.
    if (end === PAUSED) setTimeout(this.post, 1);
    else this.post();
  }

  // One line of a slow RUN, every view shown after it, then the pause of the chosen speed.
  slowLine() {
    if (this.core.runSlice(1, SLICE_MS) === ENDED) {
      this.ended();
      return;
    }
    this.core.slowLineShown();
    this.schedule();
    this.timer = setTimeout(() => this.slice(), this.interval);
  }

  ended() {
    const result = this.core.finishRun();
    for (const el of this.live) el.removeAttribute('aria-busy');
    this.schedule();
    if (this.onEnd) this.onEnd(result);
  }
}
