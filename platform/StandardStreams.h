#pragma once

// Standard input, output or error closed when the program starts: the next
// file or socket it opens would take that descriptor, and what it prints would
// go there. Each closed one is opened on the null device instead, and noted,
// so that output that cannot reach anyone is reported rather than lost.
namespace StandardStreams {

struct Closed
{
    bool output = false;
    bool error = false;
};

Closed guard();

} // namespace StandardStreams
