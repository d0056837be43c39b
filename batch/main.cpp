// tamrel-batch: the trainer's RUN on memory images, without a window.
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tamrel::BatchMain(args, std::cout, std::cerr);
}
