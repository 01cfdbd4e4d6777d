const http = require('http');

/* A tiny server: 返回当前时间 ⏰ */
function handler(request, response) {
    const now = new Date().toISOString();
    response.writeHead(200, { 'Content-Type': 'text/plain' });
    response.end(`It is ${now}\n`); // plain text
}

http.createServer(handler).listen(8080);
