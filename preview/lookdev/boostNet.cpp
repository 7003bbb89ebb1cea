// Asio's and Beast's own functions, compiled once here rather than in every
// file that serves or asks over HTTP: those files are the slowest of the
// build (the server and its test took a minute each under CI's load).
#include <boost/asio/impl/src.hpp>
#include <boost/beast/src.hpp>
