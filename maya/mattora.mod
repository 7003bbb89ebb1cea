+ mattora 1.0 .
