// The grading page's core, in a worker of its own: a student's program that runs to the lab's
// line limit takes the worker's time, never the page's, so the page keeps drawing its progress
// and taking the teacher's clicks. One message, one answer, in order: {op, args} in, the
// Grader's answer out.
import TamrelCore from '../tamrel-core.mjs';

const ready = TamrelCore().then((module) => new module.Grader());
const queue = [];
self.onmessage = (e) => {
  queue.push(e.data);
  if (queue.length === 1) answer();
};

async function answer() {
  const grader = await ready;
  while (queue.length) {
    const { op, args } = queue[0];
    let reply;
    try {
      reply = { value: grader[op](...args) };
    } catch (err) {
      reply = { error: String(err && err.message ? err.message : err) };
    }
    self.postMessage(reply);
    queue.shift();
  }
}
