// Log entries as a router's status page script keeps them.
var logTime = ["Jan  1 00:00:03", "Jan  1 00:00:38", "Jan  1 00:00:41"];
var logSource = ["kernel", "dsl", "ppp"];
var logText = ["firmware starting", "ADSL line up, 8128 kbps down, 448 kbps up", "PPP IP 203.0.113.45 assigned"];
