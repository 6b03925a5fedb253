CREATE TABLE placeholder(x);
